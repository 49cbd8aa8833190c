// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrilo {

/// What rendering a cell gave besides its text.
struct RenderResult {
  static constexpr std::size_t kNoFill = static_cast<std::size_t>(-1);

  /// The colour the format's section asks for ("[Red]"), as 0xFFRRGGBB, or
  /// 0 when the cell's own font colour applies.
  std::uint32_t color = 0;
  /// No text can show the value: a date after 9999, a negative time or
  /// spreadsheet serial under a date format, a number the format's
  /// conditions give no section, or a General number in a column too
  /// narrow for it. The text is then "###"; a grid fills the cell with "#".
  bool overflow = false;
  /// Where a "*x" fill stands in the text (a byte offset), or kNoFill. The
  /// text is rendered without it; a grid may repeat `fill` there to fill
  /// the cell.
  std::size_t fill_at = kNoFill;
  /// The UTF-8 character a fill repeats; a view into the format.
  std::string_view fill;
};

}  // namespace kestrilo
