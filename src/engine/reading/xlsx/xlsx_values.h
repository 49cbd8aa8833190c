// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/model/block_geometry.h"

namespace kestrilo {

/// The small rules of the values and references of an xlsx package.

/// A cell's value type as its `t` attribute gives it.
enum class XlsxCellType : std::uint8_t {
  kNumber,
  kShared,
  kFormulaText,
  kInline,
  kBoolean,
  kError,
  kIsoDate,
};

/// The type of a `t` attribute; anything unknown is a number.
inline XlsxCellType ParseCellType(std::string_view t) {
  if (t.size() == 1) {  // the common case, decided without comparisons
    switch (t[0]) {
      case 's':
        return XlsxCellType::kShared;
      case 'b':
        return XlsxCellType::kBoolean;
      case 'e':
        return XlsxCellType::kError;
      case 'd':
        return XlsxCellType::kIsoDate;
      default:
        return XlsxCellType::kNumber;
    }
  }
  if (t == "str") return XlsxCellType::kFormulaText;
  if (t == "inlineStr") return XlsxCellType::kInline;
  return XlsxCellType::kNumber;
}

/// "B12" -> row 12, column 2. False for anything else. Every cell has one:
/// a tight pass, letters of either case then at most eight digits.
inline bool ParseCellReference(std::string_view ref, std::int32_t& row,
                               std::int32_t& column) {
  const char* p = ref.data();
  const char* const end = p + ref.size();
  const char* const letters_end = ref.size() > 4 ? p + 4 : end;
  std::int32_t col = 0;
  for (; p != letters_end; ++p) {
    // Folds capitals to small letters; no other byte lands on those.
    const unsigned letter = (static_cast<unsigned char>(*p) | 0x20u) - 'a';
    if (letter >= 26) break;
    col = col * 26 + static_cast<std::int32_t>(letter) + 1;
  }
  if (p == ref.data() || col > kMaxColumns) return false;
  const char* const digits = p;
  const char* const digits_end = end - p > 8 ? p + 8 : end;
  std::int32_t r = 0;
  for (; p != digits_end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) return false;
    r = r * 10 + static_cast<std::int32_t>(digit);
  }
  // Row 0 does not exist: read as row 1 it would overwrite A1.
  if (p != end || p == digits || r < 1) return false;
  row = r;
  column = col;
  return true;
}

/// An area such as "A1:C9" or "B2"; nothing for anything else.
std::optional<BlockGeometry> ParseCellArea(std::string_view ref);

/// Decodes the `_xHHHH_` escapes OOXML uses for characters XML cannot carry
/// (control characters) in place; `_x005F_` escapes a literal underscore.
void DecodeEscapes(std::string& text);

/// An xsd:boolean that is true ("1" or "true").
inline bool IsTrue(std::string_view value) {
  return value == "1" || value == "true";
}

/// Excel's row height for Calibri 11, the default font.
inline constexpr float kExcelDefaultRowHeight = 15;

/// A row height in points; nothing for one that is missing or out of range.
std::optional<float> RowHeight(std::string_view text);

/// A relationship target with its %XX escapes decoded: a part named
/// "sheet 1.xml" may be written "sheet%201.xml".
std::string PercentDecoded(const std::string& target);

}  // namespace kestrilo
