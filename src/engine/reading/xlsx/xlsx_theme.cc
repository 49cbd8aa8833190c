// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_theme.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/display/hex_color.h"
#include "engine/reading/xml/xml_tokenizer.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// Where each colour of a scheme goes among the theme's colours.
constexpr std::string_view kSchemeNames[12] = {
    "lt1",     "dk1",     "lt2",     "dk2",     "accent1", "accent2",
    "accent3", "accent4", "accent5", "accent6", "hlink",   "folHlink"};

int SchemeSlot(std::string_view name) {
  for (int slot = 0; slot < 12; ++slot) {
    if (kSchemeNames[slot] == name) return slot;
  }
  return -1;
}

struct Hls {
  double hue = 0;  // 0 to 6
  double lightness = 0;
  double saturation = 0;
};

Hls ToHls(double r, double g, double b) {
  const double high = std::max({r, g, b});
  const double low = std::min({r, g, b});
  Hls hls;
  hls.lightness = (high + low) / 2;
  const double range = high - low;
  if (range == 0) return hls;
  hls.saturation =
      hls.lightness <= 0.5 ? range / (high + low) : range / (2 - high - low);
  if (high == r) {
    hls.hue = (g - b) / range;
  } else if (high == g) {
    hls.hue = 2 + (b - r) / range;
  } else {
    hls.hue = 4 + (r - g) / range;
  }
  if (hls.hue < 0) hls.hue += 6;
  return hls;
}

double Channel(double m1, double m2, double hue) {
  if (hue < 0) hue += 6;
  if (hue >= 6) hue -= 6;
  if (hue < 1) return m1 + (m2 - m1) * hue;
  if (hue < 3) return m2;
  if (hue < 4) return m1 + (m2 - m1) * (4 - hue);
  return m1;
}

std::uint32_t Byte(double value) {
  return static_cast<std::uint32_t>(
      std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}  // namespace

XlsxThemeColors DefaultXlsxThemeColors() {
  return {0xFFFFFFFF, 0xFF000000, 0xFFE7E6E6, 0xFF44546A,
          0xFF4472C4, 0xFFED7D31, 0xFFA5A5A5, 0xFFFFC000,
          0xFF5B9BD5, 0xFF70AD47, 0xFF0563C1, 0xFF954F72};
}

XlsxThemeColors ReadXlsxThemeColors(std::string_view xml_text) {
  XlsxThemeColors colors = DefaultXlsxThemeColors();
  XmlTokenizer xml(xml_text);
  std::size_t scheme_depth = 0;
  int slot = -1;
  for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
    if (token == Token::kEndTag) {
      // Themes may list more schemes (extraClrSchemeLst): the first counts.
      if (scheme_depth != 0 && xml.depth() < scheme_depth) break;
      continue;
    }
    if (token != Token::kStartTag) continue;
    const std::string_view name = xml.local_name();
    if (scheme_depth == 0) {
      if (name == "clrScheme") scheme_depth = xml.depth();
    } else if (xml.depth() == scheme_depth + 1) {
      slot = SchemeSlot(name);
    } else if (xml.depth() == scheme_depth + 2 && slot >= 0) {
      // A system colour gives the colour it had when saved.
      const std::string_view value = name == "sysClr"
                                         ? xml.AttributeOr("lastClr")
                                         : xml.AttributeOr("val");
      if (name == "srgbClr" || name == "sysClr") {
        if (const auto color = ParseHexColor(value)) colors[slot] = *color;
      }
    }
  }
  return colors;
}

std::uint32_t TintedColor(std::uint32_t color, double tint) {
  if (!(tint >= -1 && tint <= 1) || tint == 0) return color;
  Hls hls = ToHls(((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                  (color & 0xFF) / 255.0);
  hls.lightness =
      tint < 0 ? hls.lightness * (1 + tint) : hls.lightness * (1 - tint) + tint;
  double r = hls.lightness, g = hls.lightness, b = hls.lightness;
  if (hls.saturation != 0) {
    const double m2 =
        hls.lightness <= 0.5
            ? hls.lightness * (1 + hls.saturation)
            : hls.lightness + hls.saturation - hls.lightness * hls.saturation;
    const double m1 = 2 * hls.lightness - m2;
    r = Channel(m1, m2, hls.hue + 2);
    g = Channel(m1, m2, hls.hue);
    b = Channel(m1, m2, hls.hue - 2);
  }
  return (color & 0xFF000000u) | Byte(r) << 16 | Byte(g) << 8 | Byte(b);
}

}  // namespace kestrilo
