// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_styles.h"

#include <algorithm>

#include "engine/reading/xls/little_endian.h"

namespace kestrilo {

namespace {

constexpr std::uint16_t kBoldWeight = 700;

Underline UnderlineOf(std::uint8_t code) {
  switch (code) {
    case 0x01:
      return Underline::kSingle;
    case 0x02:
      return Underline::kDouble;
    case 0x21:
      return Underline::kSingleAccounting;
    case 0x22:
      return Underline::kDoubleAccounting;
    default:
      return Underline::kNone;
  }
}

HorizontalAlignment HorizontalOf(std::uint8_t code) {
  static constexpr HorizontalAlignment kByCode[8] = {
      HorizontalAlignment::kGeneral,      HorizontalAlignment::kLeft,
      HorizontalAlignment::kCenter,       HorizontalAlignment::kRight,
      HorizontalAlignment::kFill,         HorizontalAlignment::kJustify,
      HorizontalAlignment::kCenterAcross, HorizontalAlignment::kDistributed};
  return kByCode[code & 0x07];
}

VerticalAlignment VerticalOf(std::uint8_t code) {
  switch (code & 0x07) {
    case 0:
      return VerticalAlignment::kTop;
    case 1:
      return VerticalAlignment::kCenter;
    case 3:
      return VerticalAlignment::kJustify;
    case 4:
      return VerticalAlignment::kDistributed;
    default:
      return VerticalAlignment::kBottom;
  }
}

}  // namespace

// Height, options (bit 1 italic), colour index, weight, escapement,
// underline, then family, character set and the name.
void XlsStyles::ReadFont(std::string_view body) {
  Font font;
  const char* d = body.data();
  if (body.size() >= 11) {
    font.italic = (LittleU16(d + 2) & 0x0002) != 0;
    font.color = LittleU16(d + 4);
    font.bold = LittleU16(d + 6) >= kBoldWeight;
    font.underline = UnderlineOf(static_cast<std::uint8_t>(d[10]));
  }
  fonts_.push_back(font);
}

void XlsStyles::ReadPalette(std::string_view body) {
  if (body.size() < 2) return;
  const std::size_t count =
      std::min<std::size_t>(LittleU16(body.data()), (body.size() - 2) / 4);
  for (std::size_t i = 0; i < count; ++i) {
    const auto* rgb =
        reinterpret_cast<const unsigned char*>(body.data() + 2 + 4 * i);
    colors_.Set(
        static_cast<int>(8 + i),
        static_cast<std::uint32_t>(rgb[0]) << 16 | rgb[1] << 8 | rgb[2]);
  }
}

// Both layouts start with the font, the number format, the type and
// protection, then the alignment byte (horizontal in bits 0-2, wrap in bit
// 3, vertical in bits 4-6). The fill lies in the border words: at 14 and 18
// in BIFF8, at 8 in BIFF5.
void XlsStyles::ReadXf(std::string_view body, bool biff8) {
  Xf xf;
  const char* d = body.data();
  xf.font = LittleU16(d);
  xf.number_format = LittleU16(d + 2);
  if (body.size() >= 7) xf.alignment = static_cast<std::uint8_t>(d[6]);
  if (biff8 && body.size() >= 20) {
    xf.pattern = static_cast<std::uint8_t>(LittleU32(d + 14) >> 26);
    xf.pattern_color = LittleU16(d + 18) & 0x7F;
  } else if (!biff8 && body.size() >= 12) {
    const std::uint32_t fill = LittleU32(d + 8);
    xf.pattern = static_cast<std::uint8_t>((fill >> 16) & 0x3F);
    xf.pattern_color = fill & 0x7F;
  }
  xfs_.push_back(xf);
}

// Font 4 is never written: indices from 5 on count one record less.
const XlsStyles::Font* XlsStyles::FontOf(std::uint16_t index) const {
  const std::size_t record = index >= 4 ? index - 1u : index;
  if (index == 4 || record >= fonts_.size()) return nullptr;
  return &fonts_[record];
}

CellStyle XlsStyles::StyleOf(const Xf& xf) const {
  CellStyle style;
  if (const Font* font = FontOf(xf.font)) {
    style.bold = font->bold;
    style.italic = font->italic;
    style.underline = font->underline;
    style.font_color = colors_.Get(font->color);
  }
  // Any pattern is drawn as its foreground colour; a solid one is nothing
  // else.
  if (xf.pattern != 0) style.fill_color = colors_.Get(xf.pattern_color);
  style.horizontal = HorizontalOf(xf.alignment);
  style.wrap = (xf.alignment & 0x08) != 0;
  style.vertical = VerticalOf(xf.alignment >> 4);
  return style;
}

std::vector<CellFormat> XlsStyles::Resolve(
    const std::unordered_map<std::uint16_t, std::string>& codes,
    StyleTable& table) const {
  std::vector<CellFormat> formats;
  formats.reserve(xfs_.size());
  for (const Xf& xf : xfs_) {
    CellStyle style = StyleOf(xf);
    const auto custom = codes.find(xf.number_format);
    CellFormat format;
    format.value_format = AddNumberFormat(
        xf.number_format, custom != codes.end() ? &custom->second : nullptr,
        table, style);
    format.style = table.Add(style);
    formats.push_back(format);
  }
  return formats;
}

}  // namespace kestrilo
