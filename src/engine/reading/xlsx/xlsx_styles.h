// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/display/value_format.h"
#include "engine/model/style_table.h"
#include "engine/reading/xlsx/xlsx_theme.h"

namespace kestrilo {

/// Reads the styles part `xml` (xl/styles.xml): the number formats (custom
/// ones and built-in ids), fonts, fills and cell formats with their
/// alignment, colours given by rgb, by index (with the part's own
/// indexedColors) or by theme colour (from `theme`) and tint. Adds each
/// distinct look to `table` and returns the cell formats in cellXfs order.
/// Throws XmlError for malformed XML, std::length_error from the table.
std::vector<CellFormat> ReadXlsxStyles(std::string_view xml,
                                       const XlsxThemeColors& theme,
                                       StyleTable& table);

}  // namespace kestrilo
