// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

namespace kestrilo {

/// How a cell's text lines up across the cell.
enum class HorizontalAlignment : std::uint8_t {
  kGeneral,  // by value: texts left, numbers and dates right, the rest centred
  kLeft,
  kCenter,
  kRight,
  kFill,
  kJustify,
  kCenterAcross,
  kDistributed,
};

/// How a cell's text lines up from top to bottom.
enum class VerticalAlignment : std::uint8_t {
  kBottom,
  kTop,
  kCenter,
  kJustify,
  kDistributed,
};

enum class Underline : std::uint8_t {
  kNone,
  kSingle,
  kDouble,
  kSingleAccounting,
  kDoubleAccounting,
};

/// How a cell looks, as a workbook's style of it says: its number format,
/// font, fill and alignment. Colours are 0xAARRGGBB, 0 meaning none (the
/// automatic font colour, no fill); readers resolve indexed and theme
/// colours. The default is what an unstyled cell shows.
struct CellStyle {
  /// An index into the StyleTable's format codes; 0 is General.
  std::uint32_t format = 0;
  std::uint32_t font_color = 0;
  std::uint32_t fill_color = 0;
  bool bold = false;
  bool italic = false;
  Underline underline = Underline::kNone;
  HorizontalAlignment horizontal = HorizontalAlignment::kGeneral;
  VerticalAlignment vertical = VerticalAlignment::kBottom;
  bool wrap = false;

  bool operator==(const CellStyle&) const = default;
};

}  // namespace kestrilo
