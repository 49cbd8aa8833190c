// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/block_geometry.h"
#include "engine/model/cell_value.h"

namespace kestrilo {

/// What the XML writer needs of the spreadsheet component: the cells of the
/// active sheet. Readers' workbooks, the workbook window and tests'
/// in-memory sheets implement it.
class CellSource {
 public:
  virtual ~CellSource() = default;

  /// The geometry of an address on the active sheet (for several areas, that
  /// of the first one). Throws AddressError for a malformed address.
  virtual BlockGeometry Geometry(std::string_view address) const = 0;

  /// The value of the cell at (row, column) of the active sheet, 1-based.
  virtual CellValue Value(std::int32_t row, std::int32_t column) const = 0;

  /// Whether the cell at (row, column) holds an error value.
  virtual bool IsError(std::int32_t row, std::int32_t column) const {
    return Value(row, column).is_error();
  }
};

}  // namespace kestrilo
