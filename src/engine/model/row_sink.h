// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <span>

#include "engine/model/cell_value.h"

namespace kestrilo {

class SheetLayout;
class StyleTable;

/// One non-empty cell of a row, as a reader delivers it.
struct RowCell {
  RowCell() = default;
  RowCell(std::int32_t column, const CellValue& value, std::uint32_t style = 0)
      : column(column), style(style), value(value) {}

  std::int32_t column = 0;
  /// Its index into the StyleTable the reader gave UseStyles(); 0, the
  /// default style, from readers that keep none. Beside the column, where
  /// it costs a cell no room.
  std::uint32_t style = 0;
  /// Its text (if any) need only live until the row has been taken.
  CellValue value;
};

/// Takes one sheet's cells row by row as a reader parses them, so that
/// they can go on (to the XML writer, say) without the sheet being built.
class RowSink {
 public:
  virtual ~RowSink() = default;

  /// The non-empty cells of worksheet row `row` (1-based), sorted by
  /// column, each column once. Rows come in the order the file lists them:
  /// ascending in the files of every application we know, but a file may
  /// list a row again, or after a later one, and the reader passes that on
  /// as it is. Rows without cells may be left out.
  virtual void AddRow(std::int32_t row, std::span<const RowCell> cells) = 0;

  /// Where the reader puts the sheet's column widths, row heights and
  /// merged areas as it meets them; null (the default) when they are not
  /// wanted.
  virtual SheetLayout* layout() { return nullptr; }

  /// Called by a reader that keeps cell styles before it sends the first
  /// row: the table the cells' style indices point into, which lives until
  /// reading ends. Ignored by default.
  virtual void UseStyles(const StyleTable& /*styles*/) {}
};

}  // namespace kestrilo
