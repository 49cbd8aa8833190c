// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/cell_value.h"
#include "engine/model/sheet_layout.h"

namespace kestrilo {

/// Where XlsSheetReader puts the cells of one sheet as it parses their
/// records, in file order: the model's sheet, or rows for a RowSink. A
/// later value for the same cell wins. `style` is the cell's index into
/// the workbook's StyleTable.
class XlsCellTarget {
 public:
  virtual ~XlsCellTarget() = default;

  /// A number, date, boolean or error (whose text is a constant).
  virtual void Value(std::int32_t row, std::int32_t column,
                     const CellValue& value, std::uint32_t style) = 0;
  /// A text that lives only during the call.
  virtual void Text(std::int32_t row, std::int32_t column,
                    std::string_view text, std::uint32_t style) = 0;
  /// A shared string: the index of its text in the workbook's pool.
  virtual void PooledText(std::int32_t row, std::int32_t column,
                          std::uint32_t index, std::uint32_t style) = 0;
  /// Where the sheet's column widths, row heights and merged areas go;
  /// null when they are not wanted (their records are then skipped).
  virtual SheetLayout* layout() = 0;
};

}  // namespace kestrilo
