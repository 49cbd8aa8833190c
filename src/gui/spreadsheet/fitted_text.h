// SPDX-License-Identifier: MIT

#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "engine/display/compiled_format.h"
#include "engine/model/cell_value.h"
#include "gui/spreadsheet/grid_fonts.h"

namespace kestrilo::gui {

/// A cell's text as it fits a cell of the grid.
struct FittedText {
  QString text;
  /// Its advance in the font it was fitted in, in pixels.
  int width = 0;
  /// The colour the format asks for ("[Red]"); invalid for the font's own.
  QColor color;
  /// A number or date that no text of its format fits: the text is "###".
  bool overflow = false;
  /// Where a format's "*x" fill goes in `text`, and what it repeats; -1 for
  /// none.
  qsizetype fill_at = -1;
  QString fill_with;
};

/// `value` under `format` in a cell `available` pixels wide (its padding
/// taken off) in `font`, as spreadsheets show it: General numbers rounded
/// to the digits the width holds, "###" for numbers and dates that still
/// don't fit; texts, truth values and error codes as they are (texts may
/// spill over). `buffer` is room to render in, reused from cell to cell.
FittedText FitCellText(const CellValue& value, const CompiledFormat& format,
                       const GridFonts::Variant& font, int available,
                       std::string& buffer);

}  // namespace kestrilo::gui
