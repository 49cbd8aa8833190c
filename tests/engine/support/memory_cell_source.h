// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/model/cell_source.h"
#include "engine/model/range_address.h"

namespace kestrilo {

// An in-memory active sheet for the writer's tests. It keeps its own copies
// of texts and counts the cells read.
class MemoryCellSource : public CellSource {
 public:
  void SetText(std::int32_t row, std::int32_t column, std::string text) {
    texts_.push_back(std::make_unique<std::string>(std::move(text)));
    cells_[{row, column}] = CellValue::Text(*texts_.back());
  }
  void Set(std::int32_t row, std::int32_t column, CellValue value) {
    cells_[{row, column}] = value;
  }
  // Fills a block row by row from `first`, the top-left cell.
  void SetRows(std::int32_t row, std::int32_t column,
               const std::vector<std::vector<std::string>>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      for (std::size_t j = 0; j < rows[i].size(); ++j) {
        SetText(row + static_cast<std::int32_t>(i),
                column + static_cast<std::int32_t>(j), rows[i][j]);
      }
    }
  }

  BlockGeometry Geometry(std::string_view address) const override {
    return ParseAddress(address).areas.front();
  }
  CellValue Value(std::int32_t row, std::int32_t column) const override {
    ++reads_;
    auto it = cells_.find({row, column});
    return it == cells_.end() ? CellValue::Empty() : it->second;
  }
  std::int64_t reads() const { return reads_; }

 private:
  std::map<std::pair<std::int32_t, std::int32_t>, CellValue> cells_;
  std::vector<std::unique_ptr<std::string>> texts_;
  mutable std::int64_t reads_ = 0;
};

}  // namespace kestrilo
