// SPDX-License-Identifier: MIT

#include "engine/display/displayed_cell_source.h"

namespace kestrilo {

DisplayedCellSource::DisplayedCellSource(const CellSource& values,
                                         const Sheet& sheet,
                                         const StyleFormats& formats)
    : values_(values), sheet_(sheet), formats_(formats), texts_(kTextsKept) {}

CellValue DisplayedCellSource::Value(std::int32_t row,
                                     std::int32_t column) const {
  const CellValue value = values_.Value(row, column);
  if (value.is_empty()) return value;
  std::string& text = texts_[next_];
  next_ = (next_ + 1) % kTextsKept;
  formats_.ForStyle(sheet_.StyleIndex(row, column)).Render(value, text);
  return CellValue::Text(text);
}

}  // namespace kestrilo
