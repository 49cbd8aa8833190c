// SPDX-License-Identifier: MIT
// A RowSink for the benchmarks of the row-by-row road: it counts the cells
// and the bytes of their texts, as cheaply as a sink can, so that the
// reader's own time is measured.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/model/row_sink.h"

namespace kestrilo_bench {

class CountingSink : public kestrilo::RowSink {
 public:
  void AddRow(std::int32_t /*row*/,
              std::span<const kestrilo::RowCell> cells) override {
    cells_ += cells.size();
    for (const kestrilo::RowCell& cell : cells) {
      text_bytes_ += cell.value.text.size();
    }
  }
  std::size_t cells() const { return cells_; }
  std::size_t text_bytes() const { return text_bytes_; }

 private:
  std::size_t cells_ = 0;
  std::size_t text_bytes_ = 0;
};

}  // namespace kestrilo_bench
