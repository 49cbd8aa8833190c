// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_values.h"

#include <charconv>

#include "engine/text/number_text.h"
#include "engine/text/text_decoding.h"

namespace kestrilo {

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

std::uint32_t HexValue(std::string_view hex) {
  std::uint32_t value = 0;
  std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
  return value;
}

bool IsEscapeAt(std::string_view text, std::size_t i) {
  return i + 7 <= text.size() && text[i] == '_' && text[i + 1] == 'x' &&
         IsHex(text[i + 2]) && IsHex(text[i + 3]) && IsHex(text[i + 4]) &&
         IsHex(text[i + 5]) && text[i + 6] == '_';
}

}  // namespace

// UTF-16 surrogate pairs come as two escapes.
void DecodeEscapes(std::string& text) {
  if (text.find("_x") == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (!IsEscapeAt(text, i)) {
      out += text[i++];
      continue;
    }
    std::uint32_t code = HexValue(std::string_view(text).substr(i + 2, 4));
    i += 7;
    if (code >= 0xD800 && code <= 0xDBFF && IsEscapeAt(text, i)) {
      const std::uint32_t low =
          HexValue(std::string_view(text).substr(i + 2, 4));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        i += 7;
      }
    }
    if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
    AppendUtf8(out, code);
  }
  text.swap(out);
}

// The tallest row Excel allows, in points.
constexpr double kMaxRowHeight = 409.5;

std::optional<float> RowHeight(std::string_view text) {
  double height = 0;
  if (!ParseDouble(text, height) || height < 0 || height > kMaxRowHeight) {
    return std::nullopt;
  }
  return static_cast<float>(height);
}

std::optional<BlockGeometry> ParseCellArea(std::string_view ref) {
  const std::size_t colon = ref.find(':');
  std::int32_t top = 0, left = 0, bottom = 0, right = 0;
  if (!ParseCellReference(ref.substr(0, colon), top, left)) return std::nullopt;
  bottom = top;
  right = left;
  if (colon != std::string_view::npos &&
      !ParseCellReference(ref.substr(colon + 1), bottom, right)) {
    return std::nullopt;
  }
  if (top > bottom || left > right) return std::nullopt;
  return BlockGeometry{top, bottom - top + 1, left, right - left + 1};
}

std::string PercentDecoded(const std::string& target) {
  std::string decoded;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && IsHex(target[i + 1]) &&
        IsHex(target[i + 2])) {
      decoded += static_cast<char>(
          HexValue(std::string_view(target).substr(i + 1, 2)));
      i += 2;
    } else {
      decoded += target[i];
    }
  }
  return decoded;
}

}  // namespace kestrilo
