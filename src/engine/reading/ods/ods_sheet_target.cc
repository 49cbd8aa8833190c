// SPDX-License-Identifier: MIT

#include "engine/reading/ods/ods_sheet_target.h"

namespace kestrilo {

void OdsSheetTarget::AddRows(std::int32_t first, std::int32_t last,
                             std::span<const OdsCell> cells) {
  std::uint64_t per_row = 0;
  for (const OdsCell& cell : cells) per_row += cell.count;
  workbook_.budget().CheckCells(per_row *
                                static_cast<std::uint64_t>(last - first + 1));
  for (std::int32_t row = first; row <= last; ++row) {
    for (const OdsCell& cell : cells) {
      for (std::int32_t c = cell.column; c < cell.column + cell.count; ++c) {
        Store(row, c, cell);
      }
    }
  }
}

void OdsSheetTarget::Store(std::int32_t row, std::int32_t column,
                           const OdsCell& cell) {
  switch (cell.kind) {
    case CellKind::kNumber:
      sheet_->SetNumber(row, column, cell.number, cell.style);
      break;
    case CellKind::kText:
      sheet_->SetPooledText(row, column, cell.text, cell.style);
      break;
    case CellKind::kBoolean:
      sheet_->SetBoolean(row, column, cell.number != 0, cell.style);
      break;
    case CellKind::kDateTime:
      sheet_->SetDateTime(row, column, cell.number, cell.time_only, cell.style);
      break;
    case CellKind::kError:
      sheet_->SetError(row, column, workbook_.strings().Get(cell.text),
                       cell.style);
      break;
    case CellKind::kEmpty:
      break;
  }
}

}  // namespace kestrilo
