// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_row_target.h"

#include <algorithm>
#include <functional>

#include "engine/model/block_geometry.h"

namespace kestrilo {

namespace {

// A row may list one cell many times over (a crafted file can, to the
// cell budget): past this many cells it is compacted, so that it holds
// each column once and a row costs no more than the columns of a sheet.
constexpr std::size_t kCompactAt = 2 * static_cast<std::size_t>(kMaxColumns);

}  // namespace

XlsRowTarget::XlsRowTarget(RowSink& sink, const StringPool& strings,
                           ReaderBudget& budget)
    : sink_(sink), strings_(strings), budget_(budget) {}

void XlsRowTarget::Add(std::int32_t row, std::int32_t column,
                       const CellValue& value, std::uint32_t style) {
  budget_.ChargeCells(1);
  if (row != row_) {
    SendRow();
    row_ = row;
  }
  if (cells_.size() >= kCompactAt) Compact();
  if (!cells_.empty() && column <= cells_.back().column) sorted_ = false;
  cells_.push_back({column, value, style});
}

void XlsRowTarget::Value(std::int32_t row, std::int32_t column,
                         const CellValue& value, std::uint32_t style) {
  Add(row, column, value, style);
}

void XlsRowTarget::Text(std::int32_t row, std::int32_t column,
                        std::string_view text, std::uint32_t style) {
  budget_.ChargeText(text.size());
  Add(row, column, CellValue::Text({}), style);
  if (text.empty()) return;
  // The texts of a row are gathered in one buffer, which may move as it
  // grows: the cells see them once the row is complete.
  own_texts_.push_back({cells_.size() - 1, texts_.size(), text.size()});
  texts_.append(text);
}

void XlsRowTarget::PooledText(std::int32_t row, std::int32_t column,
                              std::uint32_t index, std::uint32_t style) {
  Add(row, column, CellValue::Text(strings_.Get(index)), style);
}

void XlsRowTarget::PointAtTexts() {
  for (const OwnText& text : own_texts_) {
    cells_[text.cell].value.text =
        std::string_view(texts_).substr(text.offset, text.size);
  }
}

void XlsRowTarget::SortColumns() {
  if (sorted_) return;
  // Stable, so that of two values for one column the later one is kept.
  std::stable_sort(
      cells_.begin(), cells_.end(),
      [](const RowCell& a, const RowCell& b) { return a.column < b.column; });
  auto last = cells_.begin();
  for (auto cell = cells_.begin() + 1; cell != cells_.end(); ++cell) {
    if (cell->column != last->column) ++last;
    *last = *cell;
  }
  cells_.erase(last + 1, cells_.end());
  sorted_ = true;
}

void XlsRowTarget::Compact() {
  PointAtTexts();
  SortColumns();
  // The texts of the cells kept move to a new buffer; those of the cells
  // replaced go.
  std::string kept;
  std::vector<OwnText> kept_texts;
  const std::less<const char*> before;
  const char* begin = texts_.data();
  const char* end = texts_.data() + texts_.size();
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const std::string_view text = cells_[i].value.text;
    if (text.empty() || before(text.data(), begin) ||
        !before(text.data(), end)) {
      continue;
    }
    kept_texts.push_back({i, kept.size(), text.size()});
    kept.append(text);
  }
  texts_.swap(kept);
  own_texts_.swap(kept_texts);
}

void XlsRowTarget::SendRow() {
  if (cells_.empty()) return;
  PointAtTexts();
  SortColumns();
  sink_.AddRow(row_, cells_);
  cells_.clear();
  own_texts_.clear();
  texts_.clear();
}

void XlsRowTarget::Finish() { SendRow(); }

}  // namespace kestrilo
