// SPDX-License-Identifier: MIT

#pragma once

#include <QFont>
#include <QFontMetrics>
#include <array>
#include <cstdint>

#include "engine/model/cell_style.h"

namespace kestrilo::gui {

/// The grid's font in the variants cell styles ask for (bold, italic,
/// underlined), each with its measures, made once: a paint looks up
/// hundreds of cells and must not build a font for each.
class GridFonts {
 public:
  struct Variant {
    QFont font;
    QFontMetrics metrics;
    /// The width of a digit: how many characters a column holds is its
    /// width in digits, as spreadsheets count it.
    int digit_width;
  };

  explicit GridFonts(const QFont& base);

  /// The index of the variant `style` asks for.
  static std::uint8_t IndexOf(const CellStyle& style);
  const Variant& variant(std::uint8_t index) const {
    return variants_[index % variants_.size()];
  }

 private:
  static constexpr std::uint8_t kBold = 1;
  static constexpr std::uint8_t kItalic = 2;
  static constexpr std::uint8_t kUnderline = 4;

  static Variant Make(const QFont& base, std::uint8_t index);

  std::array<Variant, 8> variants_;
};

}  // namespace kestrilo::gui
