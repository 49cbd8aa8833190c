// SPDX-License-Identifier: MIT

#include "engine/model/sheet.h"

#include <algorithm>
#include <stdexcept>

namespace kestrilo {

Sheet::Sheet(std::string name, bool hidden, StringPool* strings,
             ReaderBudget* budget)
    : name_(std::move(name)),
      hidden_(hidden),
      strings_(strings),
      budget_(budget) {}

void Sheet::CopyFrom(const Sheet& other) {
  if (budget_ != nullptr) budget_->ChargeCells(other.cells_.size());
  cells_ = other.cells_;
  layout_ = other.layout_;
  sorted_ = other.sorted_;
}

void Sheet::Add(std::int32_t row, std::int32_t column, CellKind kind,
                bool time_only, double number, std::uint32_t string_index,
                std::uint32_t style) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
    throw std::out_of_range("cell outside the worksheet: row " +
                            std::to_string(row) + ", column " +
                            std::to_string(column));
  }
  if (budget_ != nullptr) budget_->ChargeCells(1);
  StoredCell cell;
  cell.row = row;
  cell.column = column;
  if (kind == CellKind::kText || kind == CellKind::kError) {
    cell.string_index = string_index;
  } else {
    cell.number = number;
  }
  cell.kind = kind;
  cell.time_only = time_only;
  cell.style = style;
  if (!cells_.empty()) {
    const StoredCell& last = cells_.back();
    if (row < last.row || (row == last.row && column <= last.column)) {
      sorted_ = false;
    }
  }
  cells_.push_back(cell);
}

void Sheet::SetNumber(std::int32_t row, std::int32_t column, double value,
                      std::uint32_t style) {
  Add(row, column, CellKind::kNumber, false, value, 0, style);
}

void Sheet::SetText(std::int32_t row, std::int32_t column,
                    std::string_view text, std::uint32_t style) {
  Add(row, column, CellKind::kText, false, 0, strings_->Add(text), style);
}

void Sheet::SetPooledText(std::int32_t row, std::int32_t column,
                          std::uint32_t index, std::uint32_t style) {
  if (index >= strings_->size()) throw std::out_of_range("no such text");
  Add(row, column, CellKind::kText, false, 0, index, style);
}

void Sheet::SetBoolean(std::int32_t row, std::int32_t column, bool value,
                       std::uint32_t style) {
  Add(row, column, CellKind::kBoolean, false, value ? 1.0 : 0.0, 0, style);
}

void Sheet::SetDateTime(std::int32_t row, std::int32_t column, double serial,
                        bool time_only, std::uint32_t style) {
  Add(row, column, CellKind::kDateTime, time_only, serial, 0, style);
}

void Sheet::SetError(std::int32_t row, std::int32_t column,
                     std::string_view code, std::uint32_t style) {
  Add(row, column, CellKind::kError, false, 0, strings_->Add(code), style);
}

void Sheet::Finish() {
  layout_.Finish();
  if (!sorted_) {
    // Stable, so that of two values for one cell the later one is kept.
    std::stable_sort(cells_.begin(), cells_.end(),
                     [](const StoredCell& a, const StoredCell& b) {
                       return a.row != b.row ? a.row < b.row
                                             : a.column < b.column;
                     });
    auto same = [](const StoredCell& a, const StoredCell& b) {
      return a.row == b.row && a.column == b.column;
    };
    std::vector<StoredCell> unique;
    unique.reserve(cells_.size());
    for (const StoredCell& cell : cells_) {
      if (!unique.empty() && same(unique.back(), cell)) {
        unique.back() = cell;
      } else {
        unique.push_back(cell);
      }
    }
    cells_.swap(unique);
    sorted_ = true;
  }
  // No shrink_to_fit(): room reserved beyond the last cell is never
  // written, so the system lends it no memory, while copying the cells to
  // fit would hold them twice at the peak of reading.
  row_starts_.clear();
  if (cells_.empty()) return;
  first_row_ = cells_.front().row;
  last_row_ = cells_.back().row;
  first_column_ = kMaxColumns + 1;
  last_column_ = 0;
  row_starts_.assign(static_cast<std::size_t>(last_row_ - first_row_) + 2, 0);
  std::size_t index = 0;
  for (std::int32_t row = first_row_; row <= last_row_ + 1; ++row) {
    while (index < cells_.size() && cells_[index].row < row) ++index;
    row_starts_[row - first_row_] = static_cast<std::uint32_t>(index);
  }
  for (const StoredCell& cell : cells_) {
    first_column_ = std::min(first_column_, cell.column);
    last_column_ = std::max(last_column_, cell.column);
  }
}

CellValue Sheet::ValueOf(const StoredCell& cell) const {
  switch (cell.kind) {
    case CellKind::kText:
      return CellValue::Text(strings_->Get(cell.string_index));
    case CellKind::kError:
      return CellValue::Error(strings_->Get(cell.string_index));
    case CellKind::kNumber:
      return CellValue::Number(cell.number);
    case CellKind::kBoolean:
      return CellValue::Boolean(cell.number != 0);
    case CellKind::kDateTime:
      return CellValue::DateTime(cell.number, cell.time_only);
    case CellKind::kEmpty:
      break;
  }
  return CellValue::Empty();
}

const Sheet::StoredCell* Sheet::Find(std::int32_t row,
                                     std::int32_t column) const {
  if (row < first_row_ || row > last_row_) return nullptr;
  auto begin = cells_.begin() + row_starts_[row - first_row_];
  auto end = cells_.begin() + row_starts_[row - first_row_ + 1];
  auto it = std::lower_bound(
      begin, end, column,
      [](const StoredCell& cell, std::int32_t c) { return cell.column < c; });
  if (it == end || it->column != column) return nullptr;
  return &*it;
}

CellValue Sheet::Cell(std::int32_t row, std::int32_t column) const {
  const StoredCell* cell = Find(row, column);
  return cell != nullptr ? ValueOf(*cell) : CellValue::Empty();
}

std::uint32_t Sheet::StyleIndex(std::int32_t row, std::int32_t column) const {
  const StoredCell* cell = Find(row, column);
  return cell != nullptr ? cell->style : 0;
}

std::optional<BlockGeometry> Sheet::UsedRange() const {
  if (cells_.empty()) return std::nullopt;
  return BlockGeometry{first_row_, last_row_ - first_row_ + 1, first_column_,
                       last_column_ - first_column_ + 1};
}

void Sheet::SendRows(RowSink& sink) const {
  std::vector<RowCell> row;
  for (std::size_t i = 0; i < cells_.size();) {
    const std::int32_t number = cells_[i].row;
    row.clear();
    for (; i < cells_.size() && cells_[i].row == number; ++i) {
      row.push_back({cells_[i].column, ValueOf(cells_[i]), cells_[i].style});
    }
    sink.AddRow(number, row);
  }
}

}  // namespace kestrilo
