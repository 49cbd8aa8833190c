// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/reader_budget.h"
#include "engine/model/block_geometry.h"
#include "engine/model/cell_value.h"
#include "engine/model/row_sink.h"
#include "engine/model/sheet_layout.h"
#include "engine/model/string_pool.h"

namespace kestrilo {

/// One worksheet of a workbook: its name, visibility and filled cells.
///
/// Readers fill it with the Set functions in any order and then call
/// Finish(); from then on it is read-only. Memory is proportional to the
/// filled cells (plus four bytes per row of the used range), never to the
/// area a file claims.
class Sheet {
 public:
  /// Texts go to `strings`; each cell stored is charged to `budget` when
  /// there is one.
  Sheet(std::string name, bool hidden, StringPool* strings,
        ReaderBudget* budget = nullptr);

  const std::string& name() const { return name_; }
  bool hidden() const { return hidden_; }

  // Filling. Rows and columns are 1-based and must lie within the format
  // limits (kMaxRows, kMaxColumns); a later value for the same cell wins.
  // `style` is the cell's index into the workbook's StyleTable (0, the
  // default style, when the reader keeps no styles).
  void SetNumber(std::int32_t row, std::int32_t column, double value,
                 std::uint32_t style = 0);
  void SetText(std::int32_t row, std::int32_t column, std::string_view text,
               std::uint32_t style = 0);
  /// A text already in the workbook's pool (shared strings).
  void SetPooledText(std::int32_t row, std::int32_t column, std::uint32_t index,
                     std::uint32_t style = 0);
  void SetBoolean(std::int32_t row, std::int32_t column, bool value,
                  std::uint32_t style = 0);
  void SetDateTime(std::int32_t row, std::int32_t column, double serial,
                   bool time_only, std::uint32_t style = 0);
  void SetError(std::int32_t row, std::int32_t column, std::string_view code,
                std::uint32_t style = 0);
  /// Takes the cells and layout of `other`, a finished sheet of the same
  /// workbook (a sheet listed twice in a file), in place of its own.
  void CopyFrom(const Sheet& other);
  /// Sets aside room for about `cells` cells (a hint, for large sheets).
  void Reserve(std::size_t cells) { cells_.reserve(cells); }
  /// Sorts the cells and builds the row index. Call once, after filling.
  void Finish();

  // Reading (after Finish).
  CellValue Cell(std::int32_t row, std::int32_t column) const;
  /// The cell's index into the workbook's StyleTable; 0 for an empty cell.
  std::uint32_t StyleIndex(std::int32_t row, std::int32_t column) const;
  /// The bounding box of the filled cells; nothing for an empty sheet.
  std::optional<BlockGeometry> UsedRange() const;
  std::size_t cell_count() const { return cells_.size(); }
  /// Hands the filled cells to `sink`, row by row in ascending order.
  void SendRows(RowSink& sink) const;

  /// Column widths, row heights, hidden columns and rows and merged areas,
  /// as the file stores them. Readers fill it before Finish().
  SheetLayout& layout() { return layout_; }
  const SheetLayout& layout() const { return layout_; }

 private:
  struct StoredCell {
    std::int32_t row;
    std::int32_t column;
    union {
      double number;
      std::uint32_t string_index;
    };
    CellKind kind;
    bool time_only;
    // In what was padding: a style costs a cell no memory.
    std::uint32_t style;
  };
  static_assert(sizeof(StoredCell) == 24, "a cell takes 24 bytes");

  void Add(std::int32_t row, std::int32_t column, CellKind kind, bool time_only,
           double number, std::uint32_t string_index, std::uint32_t style);
  const StoredCell* Find(std::int32_t row, std::int32_t column) const;
  CellValue ValueOf(const StoredCell& cell) const;

  std::string name_;
  bool hidden_;
  StringPool* strings_;
  ReaderBudget* budget_;
  std::vector<StoredCell> cells_;
  SheetLayout layout_;
  bool sorted_ = true;
  std::int32_t first_row_ = 0;
  std::int32_t last_row_ = -1;
  std::int32_t first_column_ = 0;
  std::int32_t last_column_ = -1;
  // row_starts_[r - first_row_] is the index of row r's first cell.
  std::vector<std::uint32_t> row_starts_;
};

}  // namespace kestrilo
