// SPDX-License-Identifier: MIT

#include "engine/reading/ods/ods_row_target.h"

namespace kestrilo {

namespace {

// The value as the model gives it back once stored.
CellValue ValueOf(const OdsCell& cell, std::string_view text) {
  switch (cell.kind) {
    case CellKind::kNumber:
      return CellValue::Number(cell.number);
    case CellKind::kText:
      return CellValue::Text(text);
    case CellKind::kBoolean:
      return CellValue::Boolean(cell.number != 0);
    case CellKind::kDateTime:
      return CellValue::DateTime(cell.number, cell.time_only);
    case CellKind::kError:
      return CellValue::Error(text);
    case CellKind::kEmpty:
      break;
  }
  return CellValue::Empty();
}

}  // namespace

std::uint32_t OdsRowTarget::KeepText(std::string_view text) {
  spans_.push_back({texts_.size(), text.size()});
  texts_.append(text);
  return static_cast<std::uint32_t>(spans_.size() - 1);
}

void OdsRowTarget::AddRows(std::int32_t first, std::int32_t last,
                           std::span<const OdsCell> cells) {
  std::uint64_t per_row = 0;
  for (const OdsCell& cell : cells) per_row += cell.count;
  budget_.CheckCells(per_row * static_cast<std::uint64_t>(last - first + 1));
  row_.clear();
  row_.reserve(per_row);
  for (const OdsCell& cell : cells) {
    std::string_view text;
    if (cell.kind == CellKind::kText || cell.kind == CellKind::kError) {
      const Span& span = spans_[cell.text];
      text = std::string_view(texts_).substr(span.offset, span.length);
    }
    const CellValue value = ValueOf(cell, text);
    for (std::int32_t c = cell.column; c < cell.column + cell.count; ++c) {
      row_.push_back({c, value, cell.style});
    }
  }
  for (std::int32_t row = first; row <= last; ++row) {
    sink_.AddRow(row, row_);
    budget_.ChargeCells(per_row);
  }
  texts_.clear();
  spans_.clear();
}

}  // namespace kestrilo
