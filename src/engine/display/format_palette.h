// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>

namespace kestrilo {

/// Colour `number` (1 to 56) of the default palette of xlsx and xls, as
/// "[Color 10]" in a format code and indexed colours (index 8 + number - 1)
/// in styles name it, as 0xFFRRGGBB; 0 outside the palette.
std::uint32_t ExcelPaletteColor(int number);

/// The colour a format code's bracket names ("Red", "color 10", "Color10"),
/// as 0xFFRRGGBB; 0 when the bracket names no colour.
std::uint32_t FormatColorNamed(std::string_view name);

}  // namespace kestrilo
