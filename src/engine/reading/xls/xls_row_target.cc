#include "engine/reading/xls/xls_row_target.h"

#include <algorithm>

namespace kestrilo {

XlsRowTarget::XlsRowTarget(RowSink& sink, const StringPool& strings,
                           ReaderBudget& budget)
    : sink_(sink), strings_(strings), budget_(budget) {}

void XlsRowTarget::Add(std::int32_t row, std::int32_t column,
                       const CellValue& value) {
  budget_.ChargeCells(1);
  if (row != row_) {
    SendRow();
    row_ = row;
  }
  if (!cells_.empty() && column <= cells_.back().column) sorted_ = false;
  cells_.push_back({column, value});
}

void XlsRowTarget::Value(std::int32_t row, std::int32_t column,
                         const CellValue& value) {
  Add(row, column, value);
}

void XlsRowTarget::Text(std::int32_t row, std::int32_t column,
                        std::string_view text) {
  budget_.ChargeText(text.size());
  Add(row, column, CellValue::Text({}));
  // The texts of a row are gathered in one buffer, which may move as it
  // grows: the cells see them once the row is complete.
  own_texts_.push_back({cells_.size() - 1, texts_.size(), text.size()});
  texts_.append(text);
}

void XlsRowTarget::PooledText(std::int32_t row, std::int32_t column,
                              std::uint32_t index) {
  Add(row, column, CellValue::Text(strings_.Get(index)));
}

void XlsRowTarget::SendRow() {
  if (cells_.empty()) return;
  for (const OwnText& text : own_texts_) {
    cells_[text.cell].value.text =
        std::string_view(texts_).substr(text.offset, text.size);
  }
  if (!sorted_) {
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
  }
  sink_.AddRow(row_, cells_);
  cells_.clear();
  own_texts_.clear();
  texts_.clear();
  sorted_ = true;
}

void XlsRowTarget::Finish() { SendRow(); }

}  // namespace kestrilo
