// SPDX-License-Identifier: MIT

#include "engine/model/workbook_cell_source.h"

#include "engine/model/address_error.h"
#include "engine/model/range_address.h"

namespace kestrilo {

WorkbookCellSource::WorkbookCellSource(const Workbook& workbook, int sheet)
    : workbook_(workbook), sheet_(sheet) {}

BlockGeometry WorkbookCellSource::Geometry(std::string_view address) const {
  const RangeAddress parsed = ParseAddress(address);
  if (!parsed.sheet.empty() && workbook_.FindSheet(parsed.sheet) != sheet_) {
    throw AddressError("The cell address \"" + std::string(address) +
                       "\" names the sheet \"" + parsed.sheet +
                       "\", not the sheet \"" + workbook_.sheet(sheet_).name() +
                       "\" being read.");
  }
  return parsed.areas.front();
}

CellValue WorkbookCellSource::Value(std::int32_t row,
                                    std::int32_t column) const {
  return workbook_.sheet(sheet_).Cell(row, column);
}

}  // namespace kestrilo
