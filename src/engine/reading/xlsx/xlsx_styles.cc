// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_styles.h"

#include <string>
#include <unordered_map>

#include "engine/display/hex_color.h"
#include "engine/display/indexed_colors.h"
#include "engine/reading/xlsx/xlsx_values.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/text/number_text.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// A colour as a style names it. Indexed colours are resolved once the
// whole part is read: indexedColors, which may replace them, comes last.
struct ColorRef {
  enum class Kind : std::uint8_t { kNone, kRgb, kIndexed, kTheme };
  Kind kind = Kind::kNone;
  std::uint32_t value = 0;
  double tint = 0;
};

struct Font {
  bool bold = false;
  bool italic = false;
  Underline underline = Underline::kNone;
  ColorRef color;
};

struct Xf {
  int number_format = 0;
  std::size_t font = 0;
  std::size_t fill = 0;
  HorizontalAlignment horizontal = HorizontalAlignment::kGeneral;
  VerticalAlignment vertical = VerticalAlignment::kBottom;
  bool wrap = false;
};

// The parts of styleSheet whose elements we read.
enum class Section : std::uint8_t {
  kOther,
  kNumberFormats,
  kFonts,
  kFills,
  kCellFormats,
  kColors
};

Section SectionNamed(std::string_view name) {
  if (name == "numFmts") return Section::kNumberFormats;
  if (name == "fonts") return Section::kFonts;
  if (name == "fills") return Section::kFills;
  if (name == "cellXfs") return Section::kCellFormats;
  if (name == "colors") return Section::kColors;
  return Section::kOther;
}

ColorRef ReadColor(const XmlTokenizer& xml) {
  ColorRef color;
  ParseDouble(xml.AttributeOr("tint"), color.tint);
  std::uint32_t number = 0;
  if (const auto rgb = ParseHexColor(xml.AttributeOr("rgb"))) {
    color.kind = ColorRef::Kind::kRgb;
    color.value = *rgb;
  } else if (ParseInteger(xml.AttributeOr("theme"), number)) {
    color.kind = ColorRef::Kind::kTheme;
    color.value = number;
  } else if (ParseInteger(xml.AttributeOr("indexed"), number)) {
    color.kind = ColorRef::Kind::kIndexed;
    color.value = number;
  }
  return color;
}

// <b/>, <i/>: on unless val says off.
bool IsOn(const XmlTokenizer& xml) {
  const std::string_view value = xml.AttributeOr("val", "1");
  return value != "0" && value != "false";
}

Underline UnderlineNamed(std::string_view name) {
  if (name == "none") return Underline::kNone;
  if (name == "double") return Underline::kDouble;
  if (name == "singleAccounting") return Underline::kSingleAccounting;
  if (name == "doubleAccounting") return Underline::kDoubleAccounting;
  return Underline::kSingle;
}

HorizontalAlignment HorizontalNamed(std::string_view name) {
  static constexpr struct {
    std::string_view name;
    HorizontalAlignment alignment;
  } kNames[] = {{"left", HorizontalAlignment::kLeft},
                {"center", HorizontalAlignment::kCenter},
                {"right", HorizontalAlignment::kRight},
                {"fill", HorizontalAlignment::kFill},
                {"justify", HorizontalAlignment::kJustify},
                {"centerContinuous", HorizontalAlignment::kCenterAcross},
                {"distributed", HorizontalAlignment::kDistributed}};
  for (const auto& entry : kNames) {
    if (entry.name == name) return entry.alignment;
  }
  return HorizontalAlignment::kGeneral;
}

VerticalAlignment VerticalNamed(std::string_view name) {
  if (name == "top") return VerticalAlignment::kTop;
  if (name == "center") return VerticalAlignment::kCenter;
  if (name == "justify") return VerticalAlignment::kJustify;
  if (name == "distributed") return VerticalAlignment::kDistributed;
  return VerticalAlignment::kBottom;
}

class StylesReader {
 public:
  explicit StylesReader(const XlsxThemeColors& theme) : theme_(theme) {}

  void Read(std::string_view xml_text) {
    XmlTokenizer xml(xml_text);
    for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
      if (token != Token::kStartTag) continue;
      const std::size_t depth = xml.depth();
      if (depth == 2) {
        section_ = SectionNamed(xml.local_name());
      } else if (depth > 2) {
        Start(xml, depth);
      }
    }
  }

  std::vector<CellFormat> Formats(StyleTable& table) const {
    std::vector<CellFormat> formats;
    formats.reserve(xfs_.size());
    for (const Xf& xf : xfs_) formats.push_back(FormatOf(xf, table));
    return formats;
  }

 private:
  void Start(const XmlTokenizer& xml, std::size_t depth) {
    const std::string_view name = xml.local_name();
    switch (section_) {
      case Section::kNumberFormats:
        if (depth == 3 && name == "numFmt") ReadNumberFormat(xml);
        break;
      case Section::kFonts:
        if (depth == 3 && name == "font") fonts_.emplace_back();
        if (depth == 4 && !fonts_.empty()) ReadFontPart(xml, name);
        break;
      case Section::kFills:
        if (depth == 3 && name == "fill") {
          fills_.emplace_back();
          fill_pattern_.clear();
        } else if (!fills_.empty()) {
          ReadFillPart(xml, name, depth);
        }
        break;
      case Section::kCellFormats:
        if (depth == 3 && name == "xf") xfs_.push_back(ReadXf(xml));
        if (depth == 4 && name == "alignment" && !xfs_.empty()) {
          ReadAlignment(xml, xfs_.back());
        }
        break;
      case Section::kColors:
        if (depth == 4 && name == "rgbColor") {
          if (const auto rgb = ParseHexColor(xml.AttributeOr("rgb"))) {
            indexed_.Set(indexed_count_, *rgb & 0xFFFFFFu);
          }
          ++indexed_count_;
        }
        break;
      case Section::kOther:
        break;
    }
  }

  void ReadNumberFormat(const XmlTokenizer& xml) {
    int id = 0;
    if (ParseInteger(xml.AttributeOr("numFmtId"), id)) {
      custom_codes_[id] = std::string(xml.AttributeOr("formatCode"));
    }
  }

  void ReadFontPart(const XmlTokenizer& xml, std::string_view name) {
    Font& font = fonts_.back();
    if (name == "b") {
      font.bold = IsOn(xml);
    } else if (name == "i") {
      font.italic = IsOn(xml);
    } else if (name == "u") {
      font.underline = UnderlineNamed(xml.AttributeOr("val", "single"));
    } else if (name == "color") {
      font.color = ReadColor(xml);
    }
  }

  // A pattern shows its foreground colour (a solid one is nothing else); a
  // gradient is drawn as its first colour.
  void ReadFillPart(const XmlTokenizer& xml, std::string_view name,
                    std::size_t depth) {
    ColorRef& fill = fills_.back();
    if (depth == 4 && name == "patternFill") {
      fill_pattern_ = xml.AttributeOr("patternType", "none");
    } else if (depth == 5 && name == "fgColor" && fill_pattern_ != "none") {
      fill = ReadColor(xml);
    } else if (depth == 6 && name == "color" &&
               fill.kind == ColorRef::Kind::kNone) {
      fill = ReadColor(xml);
    }
  }

  static Xf ReadXf(const XmlTokenizer& xml) {
    Xf xf;
    ParseInteger(xml.AttributeOr("numFmtId", "0"), xf.number_format);
    ParseInteger(xml.AttributeOr("fontId", "0"), xf.font);
    ParseInteger(xml.AttributeOr("fillId", "0"), xf.fill);
    return xf;
  }

  static void ReadAlignment(const XmlTokenizer& xml, Xf& xf) {
    xf.horizontal = HorizontalNamed(xml.AttributeOr("horizontal"));
    xf.vertical = VerticalNamed(xml.AttributeOr("vertical"));
    xf.wrap = IsTrue(xml.AttributeOr("wrapText"));
  }

  std::uint32_t Resolve(const ColorRef& color) const {
    std::uint32_t argb = 0;
    switch (color.kind) {
      case ColorRef::Kind::kNone:
        return 0;
      case ColorRef::Kind::kRgb:
        argb = color.value;
        break;
      case ColorRef::Kind::kIndexed:
        argb = indexed_.Get(static_cast<int>(color.value));
        break;
      case ColorRef::Kind::kTheme:
        argb = color.value < theme_.size() ? theme_[color.value] : 0;
        break;
    }
    return argb != 0 ? TintedColor(argb, color.tint) : 0;
  }

  CellFormat FormatOf(const Xf& xf, StyleTable& table) const {
    CellFormat format;
    CellStyle style;
    const auto custom = custom_codes_.find(xf.number_format);
    format.value_format = AddNumberFormat(
        xf.number_format,
        custom != custom_codes_.end() ? &custom->second : nullptr, table,
        style);
    if (xf.font < fonts_.size()) {
      const Font& font = fonts_[xf.font];
      style.bold = font.bold;
      style.italic = font.italic;
      style.underline = font.underline;
      style.font_color = Resolve(font.color);
    }
    if (xf.fill < fills_.size()) style.fill_color = Resolve(fills_[xf.fill]);
    style.horizontal = xf.horizontal;
    style.vertical = xf.vertical;
    style.wrap = xf.wrap;
    format.style = table.Add(style);
    return format;
  }

  const XlsxThemeColors& theme_;
  Section section_ = Section::kOther;
  std::unordered_map<int, std::string> custom_codes_;
  std::vector<Font> fonts_;
  std::vector<ColorRef> fills_;
  std::string fill_pattern_;
  std::vector<Xf> xfs_;
  IndexedColors indexed_;
  int indexed_count_ = 0;
};

}  // namespace

std::vector<CellFormat> ReadXlsxStyles(std::string_view xml,
                                       const XlsxThemeColors& theme,
                                       StyleTable& table) {
  StylesReader reader(theme);
  reader.Read(xml);
  return reader.Formats(table);
}

}  // namespace kestrilo
