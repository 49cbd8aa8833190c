// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/cell_source.h"
#include "engine/model/workbook.h"

namespace kestrilo {

/// The cells of one sheet of a workbook, for the XML writer. Progress calls
/// do nothing here; front ends derive from it to show them.
class WorkbookCellSource : public CellSource {
 public:
  /// `sheet` is the index of the sheet to read (the "active" one).
  WorkbookCellSource(const Workbook& workbook, int sheet);

  /// The geometry of the address's first area. An address that names a
  /// sheet must name this one; otherwise AddressError.
  BlockGeometry Geometry(std::string_view address) const override;
  CellValue Value(std::int32_t row, std::int32_t column) const override;

  const Workbook& workbook() const { return workbook_; }
  int sheet_index() const { return sheet_; }

 private:
  const Workbook& workbook_;
  int sheet_;
};

}  // namespace kestrilo
