// SPDX-License-Identifier: MIT

#pragma once
// What a RowSink receives, kept for comparison: with the model's cells of
// the same sheet, or with what a test expects.

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "engine/model/row_sink.h"
#include "engine/model/sheet.h"
#include "engine/model/sheet_layout.h"

namespace kestrilo::testing_support {

struct CollectedCell {
  std::int32_t row;
  std::int32_t column;
  CellKind kind;
  bool time_only;
  double number;
  std::string text;
  std::uint32_t style = 0;

  bool operator==(const CollectedCell& other) const {
    return std::tie(row, column, kind, time_only, number, text, style) ==
           std::tie(other.row, other.column, other.kind, other.time_only,
                    other.number, other.text, other.style);
  }
  friend void PrintTo(const CollectedCell& cell, std::ostream* out) {
    *out << "(" << cell.row << "," << cell.column << " kind "
         << static_cast<int>(cell.kind) << " " << cell.number << " \""
         << cell.text << "\"" << (cell.time_only ? " time" : "") << " style "
         << cell.style << ")";
  }
};

/// Keeps every cell it is given (copying the texts, which live only until
/// AddRow returns), and the rows' numbers in the order they came; puts the
/// layout into its own when `with_layout`.
class RowCollector : public RowSink {
 public:
  explicit RowCollector(bool with_layout = false) : with_layout_(with_layout) {}

  void AddRow(std::int32_t row, std::span<const RowCell> cells) override {
    rows.push_back(row);
    for (const RowCell& cell : cells) {
      this->cells.push_back({row, cell.column, cell.value.kind,
                             cell.value.time_only, cell.value.number,
                             std::string(cell.value.text), cell.style});
    }
  }
  SheetLayout* layout() override {
    return with_layout_ ? &sheet_layout : nullptr;
  }

  std::vector<std::int32_t> rows;
  std::vector<CollectedCell> cells;
  SheetLayout sheet_layout;

 private:
  bool with_layout_;
};

/// The cells of a finished sheet of the model, as a RowSink gets them.
inline std::vector<CollectedCell> CellsOf(const Sheet& sheet) {
  RowCollector collector;
  sheet.SendRows(collector);
  return collector.cells;
}

}  // namespace kestrilo::testing_support
