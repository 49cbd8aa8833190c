// SPDX-License-Identifier: MIT

#include "engine/display/format_palette.h"

#include "engine/text/ascii_text.h"

namespace kestrilo {

namespace {

constexpr std::uint32_t kPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF,
    0x00FFFF, 0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080,
    0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066,
    0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF,
    0x800080, 0x800000, 0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC,
    0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99, 0x3366FF, 0x33CCCC,
    0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366,
    0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

constexpr struct {
  std::string_view name;
  int number;
} kNamedColors[] = {
    {"black", 1}, {"white", 2},  {"red", 3},     {"green", 4},
    {"blue", 5},  {"yellow", 6}, {"magenta", 7}, {"cyan", 8},
};

}  // namespace

std::uint32_t ExcelPaletteColor(int number) {
  if (number < 1 || number > 56) return 0;
  return 0xFF000000u | kPalette[number - 1];
}

std::uint32_t FormatColorNamed(std::string_view name) {
  for (const auto& color : kNamedColors) {
    if (EqualsIgnoringAsciiCase(name, color.name))
      return ExcelPaletteColor(color.number);
  }
  if (name.size() < 6 || !EqualsIgnoringAsciiCase(name.substr(0, 5), "color"))
    return 0;
  std::size_t at = 5;
  while (at < name.size() && name[at] == ' ') ++at;
  if (at == name.size() || name.size() - at > 2) return 0;
  int number = 0;
  for (; at < name.size(); ++at) {
    if (!(name[at] >= '0' && name[at] <= '9')) return 0;
    number = number * 10 + (name[at] - '0');
  }
  return ExcelPaletteColor(number);
}

}  // namespace kestrilo
