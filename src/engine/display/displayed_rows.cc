// SPDX-License-Identifier: MIT

#include "engine/display/displayed_rows.h"

namespace kestrilo {

namespace {

// What cells of a reader without styles are shown with.
const StyleFormats& NoStyles() {
  static const StyleTable table;
  static const StyleFormats formats(table);
  return formats;
}

}  // namespace

DisplayedRows::DisplayedRows(RowSink& next) : next_(next) {}

DisplayedRows::~DisplayedRows() = default;

void DisplayedRows::UseStyles(const StyleTable& styles) {
  formats_ = std::make_unique<StyleFormats>(styles);
  next_.UseStyles(styles);
}

void DisplayedRows::AddRow(std::int32_t row, std::span<const RowCell> cells) {
  const StyleFormats& formats = formats_ ? *formats_ : NoStyles();
  row_.assign(cells.begin(), cells.end());
  texts_.clear();
  ends_.clear();
  for (const RowCell& cell : cells) {
    formats.ForStyle(cell.style).Render(cell.value, text_);
    texts_ += text_;
    ends_.push_back(texts_.size());
  }
  // The texts are gathered first: the buffer may move as it grows.
  std::size_t begin = 0;
  for (std::size_t i = 0; i < row_.size(); ++i) {
    row_[i].value = CellValue::Text(
        std::string_view(texts_).substr(begin, ends_[i] - begin));
    begin = ends_[i];
  }
  next_.AddRow(row, row_);
}

}  // namespace kestrilo
