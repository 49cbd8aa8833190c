// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/grid_fonts.h"

#include <algorithm>

namespace kestrilo::gui {

GridFonts::GridFonts(const QFont& base)
    : variants_{Make(base, 0), Make(base, 1), Make(base, 2), Make(base, 3),
                Make(base, 4), Make(base, 5), Make(base, 6), Make(base, 7)} {}

GridFonts::Variant GridFonts::Make(const QFont& base, std::uint8_t index) {
  QFont font = base;
  font.setBold(index & kBold);
  font.setItalic(index & kItalic);
  // Qt draws one line; double and accounting underlines show as one.
  font.setUnderline(index & kUnderline);
  const QFontMetrics metrics(font);
  return {font, metrics,
          std::max(1, metrics.horizontalAdvance(QLatin1Char('0')))};
}

std::uint8_t GridFonts::IndexOf(const CellStyle& style) {
  return (style.bold ? kBold : 0) | (style.italic ? kItalic : 0) |
         (style.underline != Underline::kNone ? kUnderline : 0);
}

}  // namespace kestrilo::gui
