// SPDX-License-Identifier: MIT

#pragma once

#include <optional>

namespace kestrilo {

/// Converts an Excel column width, stored in characters of the widest digit
/// of the workbook's default font with the cell padding included (`<col
/// width>` of xlsx, 1/256 of it in COLINFO of xls), to points, the way
/// Excel draws it for its default font Calibri 11, whose widest digit is 7
/// pixels wide at 96 pixels per inch. Nothing for a width that is no
/// number, negative, or beyond what Excel allows (255 characters).
std::optional<float> ExcelColumnWidthToPoints(double width);

/// The default column width of a sheet that states only how many digits
/// fit in it (`baseColWidth` of xlsx, DEFCOLWIDTH of xls), in points: Excel
/// adds the padding and rounds up to a multiple of 8 pixels, so the usual 8
/// digits give 64 pixels (48 points).
std::optional<float> ExcelBaseWidthToPoints(double digits);

}  // namespace kestrilo
