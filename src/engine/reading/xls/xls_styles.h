// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/display/indexed_colors.h"
#include "engine/display/value_format.h"
#include "engine/model/cell_style.h"
#include "engine/model/style_table.h"

namespace kestrilo {

/// The cell styles of a BIFF5 or BIFF8 workbook as its globals state them:
/// FONT, PALETTE and XF records, gathered as they come, then resolved with
/// the FORMAT records' codes into the workbook's StyleTable.
class XlsStyles {
 public:
  /// The body of a FONT record.
  void ReadFont(std::string_view body);
  /// The body of a PALETTE record: the colours from index 8 on.
  void ReadPalette(std::string_view body);
  /// The body of an XF record (at least 4 bytes) of BIFF8 or BIFF5, whose
  /// layouts differ past the number format; a short one keeps the defaults
  /// for what it lacks.
  void ReadXf(std::string_view body, bool biff8);

  /// Each XF in file order, its number format taken from `codes` (the
  /// FORMAT records by id) or the built-in formats, each distinct look
  /// added to `table`. Throws std::length_error from the table.
  std::vector<CellFormat> Resolve(
      const std::unordered_map<std::uint16_t, std::string>& codes,
      StyleTable& table) const;

 private:
  struct Font {
    bool bold = false;
    bool italic = false;
    Underline underline = Underline::kNone;
    std::uint16_t color = 0x7FFF;  // automatic
  };
  struct Xf {
    std::uint16_t font = 0;
    std::uint16_t number_format = 0;
    std::uint8_t alignment = 0x20;  // general, bottom, no wrap
    std::uint8_t pattern = 0;
    std::uint16_t pattern_color = 64;
  };

  const Font* FontOf(std::uint16_t index) const;
  CellStyle StyleOf(const Xf& xf) const;

  std::vector<Font> fonts_;
  std::vector<Xf> xfs_;
  IndexedColors colors_;
};

}  // namespace kestrilo
