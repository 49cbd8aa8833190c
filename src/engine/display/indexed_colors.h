// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <cstdint>

namespace kestrilo {

/// The indexed colours of xls and xlsx cell styles, as 0xFFRRGGBB: 0 to 7
/// black, white, red, green, blue, yellow, magenta and cyan, 8 to 63 the
/// default palette ("[Color 1]" to "[Color 56]"), which a file may replace
/// (an xls PALETTE record, xlsx indexedColors). Indices from 64 on name the
/// system's window colours, the automatic font colour and no fill: 0.
class IndexedColors {
 public:
  static constexpr int kCount = 64;

  IndexedColors();

  /// The colour at `index`; 0 for the system's colours and beyond.
  std::uint32_t Get(int index) const {
    return index >= 0 && index < kCount ? colors_[index] : 0;
  }
  /// Replaces the colour at `index` (0 to 63) by `rgb` (0xRRGGBB); indices
  /// beyond are ignored.
  void Set(int index, std::uint32_t rgb);

 private:
  std::array<std::uint32_t, kCount> colors_;
};

}  // namespace kestrilo
