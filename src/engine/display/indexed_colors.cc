// SPDX-License-Identifier: MIT

#include "engine/display/indexed_colors.h"

#include "engine/display/format_palette.h"

namespace kestrilo {

IndexedColors::IndexedColors() {
  // The first eight repeat the palette's first eight colours.
  for (int index = 0; index < kCount; ++index) {
    colors_[index] = ExcelPaletteColor(index < 8 ? index + 1 : index - 7);
  }
}

void IndexedColors::Set(int index, std::uint32_t rgb) {
  if (index >= 0 && index < kCount) colors_[index] = 0xFF000000u | rgb;
}

}  // namespace kestrilo
