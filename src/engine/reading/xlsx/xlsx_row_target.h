// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/cell_value.h"
#include "engine/model/row_sink.h"
#include "engine/model/string_pool.h"

namespace kestrilo {

class SheetLayout;

/// Where the cells of <sheetData> go when a sheet is read row by row: the
/// row being parsed, and the last complete one. Parsing pauses as a row is
/// completed (by the first cell of another row), so that the reader takes
/// it before it is replaced. A row listed again, or after a later one, is
/// a row of its own.
class XlsxRowTarget {
 public:
  explicit XlsxRowTarget(const StringPool& strings) : strings_(strings) {}

  void Put(std::int32_t row, std::int32_t column, const CellValue& value,
           std::uint32_t style) {
    Cell& cell = Add(row, column, style);
    cell.value = value;
    if (value.kind == CellKind::kText || value.kind == CellKind::kError) {
      cell.text_begin = building_texts_->size();
      building_texts_->append(value.text);
      cell.owns_text = true;
    }
  }
  void PutPooled(std::int32_t row, std::int32_t column, std::uint32_t index,
                 std::uint32_t style) {
    Add(row, column, style).value = CellValue::Text(strings_.Get(index));
  }
  static SheetLayout* layout() { return nullptr; }
  bool Paused() const { return fresh_; }

  /// Makes the row being parsed the complete one; at the end of the rows.
  void Flush() {
    if (!building_.empty()) Complete();
  }
  /// Lets parsing go on past the complete row.
  void Resume() { fresh_ = false; }

  /// A complete row handed over: its cells, whose texts point into `texts`
  /// or into the workbook's shared strings.
  struct Row {
    std::int32_t row = 0;
    std::vector<RowCell> cells;
    std::unique_ptr<std::string> texts;
  };
  /// Hands a copy of the complete row over, its texts in a string of the
  /// copy's own; the row keeps its room for the next one.
  void TakeRow(Row& taken) const;
  /// The number of the complete row; 0 before the first.
  std::int32_t row() const { return row_; }

 private:
  struct Cell {
    std::int32_t column;
    std::uint32_t style;
    std::size_t text_begin;
    bool owns_text;
    CellValue value;
  };
  // More cells than a row can hold: values given twice are dropped early.
  static constexpr std::size_t kCompactAt = 2 * 16384;

  Cell& Add(std::int32_t row, std::int32_t column, std::uint32_t style) {
    if (row != building_row_) {
      if (!building_.empty()) Complete();
      building_row_ = row;
    }
    if (!building_.empty() && column <= building_.back().column) {
      building_sorted_ = false;
    }
    if (building_.size() >= kCompactAt) Tidy(building_, *building_texts_);
    Cell& cell = building_.emplace_back();
    cell.column = column;
    cell.style = style;
    cell.owns_text = false;
    return cell;
  }
  // Sorts the cells by column, the later of two values for one cell
  // winning as in the sheet model, and keeps only the texts still used.
  static void Tidy(std::vector<Cell>& cells, std::string& texts);
  void Complete();

  const StringPool& strings_;
  // The texts are held through pointers: swapping the rows then leaves
  // every text where it was, short ones included.
  std::vector<Cell> building_;
  std::unique_ptr<std::string> building_texts_ =
      std::make_unique<std::string>();
  std::int32_t building_row_ = 0;
  bool building_sorted_ = true;
  std::vector<Cell> cells_;
  std::unique_ptr<std::string> texts_ = std::make_unique<std::string>();
  std::int32_t row_ = 0;
  bool fresh_ = false;
};

}  // namespace kestrilo
