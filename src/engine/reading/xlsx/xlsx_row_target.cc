// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_row_target.h"

#include <algorithm>

namespace kestrilo {

void XlsxRowTarget::TakeRow(Row& taken) const {
  taken.row = row_;
  taken.cells.resize(cells_.size());
  taken.texts.reset();
  if (!texts_->empty()) {
    taken.texts = std::make_unique<std::string>(*texts_);
  }
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const Cell& cell = cells_[i];
    RowCell& out = taken.cells[i];
    out.column = cell.column;
    out.style = cell.style;
    out.value = cell.value;
    if (cell.owns_text) {
      // Empty texts own no bytes: there may be no copy to point into.
      out.value.text =
          taken.texts ? std::string_view(*taken.texts)
                            .substr(cell.text_begin, cell.value.text.size())
                      : std::string_view();
    }
  }
}

void XlsxRowTarget::Tidy(std::vector<Cell>& cells, std::string& texts) {
  std::stable_sort(
      cells.begin(), cells.end(),
      [](const Cell& a, const Cell& b) { return a.column < b.column; });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (kept > 0 && cells[kept - 1].column == cells[i].column) --kept;
    cells[kept++] = cells[i];
  }
  cells.resize(kept);
  std::string live;
  for (Cell& cell : cells) {
    if (!cell.owns_text) continue;
    const std::size_t begin = live.size();
    live.append(texts, cell.text_begin, cell.value.text.size());
    cell.text_begin = begin;
  }
  texts.swap(live);
}

void XlsxRowTarget::Complete() {
  if (!building_sorted_) Tidy(building_, *building_texts_);
  cells_.swap(building_);
  texts_.swap(building_texts_);
  building_.clear();
  building_texts_->clear();
  building_sorted_ = true;
  for (Cell& cell : cells_) {
    if (cell.owns_text) {
      cell.value.text = std::string_view(*texts_).substr(
          cell.text_begin, cell.value.text.size());
    }
  }
  row_ = building_row_;
  fresh_ = true;
}

}  // namespace kestrilo
