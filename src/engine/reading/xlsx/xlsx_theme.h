// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrilo {

/// The twelve colours of an xlsx theme, as 0xFFRRGGBB, in the order that
/// the `theme` attribute of a style's colour counts them: light 1, dark 1,
/// light 2, dark 2, accents 1 to 6, hyperlink, followed hyperlink. (The
/// theme part lists the dark colour of each pair first; Excel counts the
/// light one first.)
using XlsxThemeColors = std::array<std::uint32_t, 12>;

/// The colours of the Office theme, for a workbook without a theme part.
XlsxThemeColors DefaultXlsxThemeColors();

/// The colours of the first colour scheme of the theme part `xml`; those
/// it lacks keep the Office theme's. Throws XmlError for malformed XML.
XlsxThemeColors ReadXlsxThemeColors(std::string_view xml);

/// `color` (0xFFRRGGBB) lightened (`tint` above 0) or darkened (below 0)
/// by the fraction `tint` of its luminance, as Excel applies a colour's
/// tint attribute.
std::uint32_t TintedColor(std::uint32_t color, double tint);

}  // namespace kestrilo
