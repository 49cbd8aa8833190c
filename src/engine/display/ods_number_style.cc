// SPDX-License-Identifier: MIT

#include "engine/display/ods_number_style.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>

#include "engine/display/format_palette.h"

namespace kestrilo {

namespace {

// More digits than any number shows; a hostile count stays small.
constexpr int kMaxDigits = 30;

constexpr std::string_view kColorNames[] = {
    "Black", "White", "Red", "Green", "Blue", "Yellow", "Magenta", "Cyan"};

int IntegerAttribute(const OdsStyleElement& element, std::string_view name,
                     int fallback) {
  const std::string_view text = element.Attribute(name);
  int value = fallback;
  if (std::from_chars(text.data(), text.data() + text.size(), value).ec !=
      std::errc()) {
    return fallback;
  }
  return std::clamp(value, 0, kMaxDigits);
}

bool IsTrue(const OdsStyleElement& element, std::string_view name) {
  return element.Attribute(name) == "true";
}

bool IsLong(const OdsStyleElement& element) {
  return element.Attribute("style") == "long";
}

// A literal: quoted, with quotation marks escaped.
void AppendQuoted(std::string_view text, std::string& code) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t quote = std::min(text.find('"', start), text.size());
    if (quote > start) {
      code += '"';
      code.append(text, start, quote - start);
      code += '"';
    }
    if (quote < text.size()) code += "\\\"";
    start = quote + 1;
  }
}

// A percentage style's "%" scales the value: it stays unquoted.
void AppendText(std::string_view text, bool percentage, std::string& code) {
  if (!percentage) {
    AppendQuoted(text, code);
    return;
  }
  std::size_t start = 0;
  for (std::size_t percent = text.find('%'); percent != std::string::npos;
       percent = text.find('%', start)) {
    AppendQuoted(text.substr(start, percent - start), code);
    code += '%';
    start = percent + 1;
  }
  AppendQuoted(text.substr(start), code);
}

void AppendDecimals(const OdsStyleElement& number, std::string& code) {
  const int decimals = IntegerAttribute(number, "decimal-places", 0);
  const int required = std::min(
      decimals, IntegerAttribute(number, "min-decimal-places", decimals));
  if (decimals == 0) return;
  // Decimals beyond the required ones: blanks where the file replaces
  // missing decimals with spaces, nothing otherwise.
  const std::string_view replacement = number.Attribute("decimal-replacement");
  const bool blank = !replacement.empty() &&
                     replacement.find_first_not_of(' ') == std::string::npos;
  code += '.';
  code.append(static_cast<std::size_t>(required), '0');
  code.append(static_cast<std::size_t>(decimals - required), blank ? '?' : '#');
}

// The text of an embedded-text child at each place of the integer part.
std::vector<std::pair<int, std::string_view>> EmbeddedTexts(
    const OdsStyleElement& number) {
  std::vector<std::pair<int, std::string_view>> texts;
  for (const OdsStyleElement& child : number.children) {
    if (child.name == "embedded-text") {
      texts.emplace_back(IntegerAttribute(child, "position", 0), child.text);
    }
  }
  return texts;
}

void AppendNumber(const OdsStyleElement& number, std::string& code) {
  if (!number.HasAttribute("decimal-places")) {
    code += "General";  // the default number of decimals: General
    return;
  }
  const int zeros = IntegerAttribute(number, "min-integer-digits", 0);
  const bool grouping = IsTrue(number, "grouping");
  const auto texts = EmbeddedTexts(number);
  int places = std::max(zeros, grouping ? 4 : 1);
  // A placeholder left of every embedded text takes the digits beyond.
  for (const auto& [position, text] : texts) {
    places = std::max(places, position + 1);
  }
  for (int place = places - 1; place >= 0; --place) {
    code += place < zeros ? '0' : '#';
    if (grouping && place == places - 1) code += ',';
    for (const auto& [position, text] : texts) {
      if (position == place) AppendQuoted(text, code);
    }
  }
  AppendDecimals(number, code);
  double factor = std::strtod(
      std::string(number.Attribute("display-factor")).c_str(), nullptr);
  for (; factor >= 1000 && code.size() < 4096; factor /= 1000) code += ',';
}

void AppendScientific(const OdsStyleElement& number, std::string& code) {
  const int zeros =
      std::max(1, IntegerAttribute(number, "min-integer-digits", 1));
  const int interval = IntegerAttribute(number, "exponent-interval", 1);
  // Exponents in steps of the interval: as many placeholders, "##0".
  for (int place = std::max(zeros, interval) - 1; place >= 0; --place) {
    code += place < zeros ? '0' : '#';
  }
  AppendDecimals(number, code);
  code += number.Attribute("forced-exponent-sign") == "false" ? "E-" : "E+";
  code.append(
      std::max<std::size_t>(1, static_cast<std::size_t>(IntegerAttribute(
                                   number, "min-exponent-digits", 1))),
      '0');
}

int DigitCount(std::string_view number) {
  int value = 0;
  std::from_chars(number.data(), number.data() + number.size(), value);
  int digits = 1;
  for (; value >= 10 && digits < 9; value /= 10) ++digits;
  return digits;
}

void AppendFraction(const OdsStyleElement& fraction, std::string& code) {
  if (fraction.HasAttribute("min-integer-digits")) {
    const int zeros = IntegerAttribute(fraction, "min-integer-digits", 0);
    code += zeros == 0 ? std::string("#") : std::string(zeros, '0');
    code += ' ';
  }
  code.append(static_cast<std::size_t>(std::max(
                  1, IntegerAttribute(fraction, "min-numerator-digits", 1))),
              '?');
  code += '/';
  const std::string_view fixed = fraction.Attribute("denominator-value");
  if (!fixed.empty() &&
      IntegerAttribute(fraction, "denominator-value", 0) > 0) {
    code += std::to_string(std::atoi(std::string(fixed).c_str()));
    return;
  }
  int width = IntegerAttribute(fraction, "min-denominator-digits", 1);
  if (fraction.HasAttribute("max-denominator-value")) {
    width = std::max(width,
                     DigitCount(fraction.Attribute("max-denominator-value")));
  }
  code.append(static_cast<std::size_t>(std::max(1, width)), '?');
}

// Hours, minutes or seconds; the first of them in brackets for a time
// style that lets hours run past a day.
void AppendTimePart(std::string_view letters, bool elapsed, std::string& code) {
  if (elapsed) code += '[';
  code += letters;
  if (elapsed) code += ']';
}

void AppendDatePart(const OdsStyleElement& part, bool& elapsed,
                    std::string& code) {
  const bool long_form = IsLong(part);
  const std::string& name = part.name;
  if (name == "day") {
    code += long_form ? "dd" : "d";
  } else if (name == "month") {
    if (IsTrue(part, "textual")) {
      code += long_form ? "mmmm" : "mmm";
    } else {
      code += long_form ? "mm" : "m";
    }
  } else if (name == "year") {
    code += long_form ? "yyyy" : "yy";
  } else if (name == "day-of-week") {
    code += long_form ? "dddd" : "ddd";
  } else if (name == "hours" || name == "minutes" || name == "seconds") {
    const char letter = name[0];
    AppendTimePart(std::string(long_form ? 2 : 1, letter), elapsed, code);
    elapsed = false;
    if (letter == 's') {
      const int decimals = IntegerAttribute(part, "decimal-places", 0);
      if (decimals > 0) code += '.' + std::string(decimals, '0');
    }
  } else if (name == "am-pm") {
    code += "AM/PM";
  }
  // Eras, quarters and weeks of the year have no part in a format code.
}

std::string ColorCode(const OdsStyleElement& style) {
  for (const OdsStyleElement& child : style.children) {
    if (child.name != "text-properties") continue;
    const std::string_view text = child.Attribute("color");
    std::uint32_t rgb = 0;
    if (text.size() != 7 || text[0] != '#' ||
        std::from_chars(text.data() + 1, text.data() + 7, rgb, 16).ec !=
            std::errc()) {
      return {};
    }
    // The palette colour nearest to it: a code names no other.
    int best = 1;
    long best_distance = -1;
    for (int number = 1; number <= 56; ++number) {
      const std::uint32_t color = ExcelPaletteColor(number);
      long distance = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const long d = static_cast<long>((color >> shift) & 0xFF) -
                       static_cast<long>((rgb >> shift) & 0xFF);
        distance += d * d;
      }
      if (best_distance < 0 || distance < best_distance) {
        best = number;
        best_distance = distance;
      }
    }
    std::string code = "[";
    code += best <= 8 ? std::string(kColorNames[best - 1])
                      : "Color" + std::to_string(best);
    code += ']';
    return code;
  }
  return {};
}

// The one section a style makes by itself, its maps aside.
std::string SectionCode(const OdsStyleElement& style) {
  std::string code = ColorCode(style);
  const bool percentage = style.name == "percentage-style";
  bool elapsed = style.name == "time-style" &&
                 style.Attribute("truncate-on-overflow") == "false";
  for (const OdsStyleElement& child : style.children) {
    const std::string& name = child.name;
    if (name == "text") {
      AppendText(child.text, percentage, code);
    } else if (name == "fill-character") {
      if (!child.text.empty()) {
        code += '*';
        code += child.text.front();
      }
    } else if (name == "currency-symbol") {
      // Empty: the currency of the document's language; "$" for English.
      AppendQuoted(child.text.empty() ? "$" : child.text, code);
    } else if (name == "number") {
      AppendNumber(child, code);
    } else if (name == "scientific-number") {
      AppendScientific(child, code);
    } else if (name == "fraction") {
      AppendFraction(child, code);
    } else if (name == "text-content") {
      code += '@';
    } else {
      AppendDatePart(child, elapsed, code);
    }
  }
  return code;
}

// "value()>=0" as "[>=0]"; empty when it is no comparison of the value.
std::string Condition(std::string_view condition) {
  std::string compact;
  for (const char c : condition) {
    if (c != ' ') compact += c;
  }
  constexpr std::string_view kValue = "value()";
  if (compact.compare(0, kValue.size(), kValue) != 0) return {};
  compact.erase(0, kValue.size());
  if (compact.compare(0, 2, "!=") == 0) compact.replace(0, 2, "<>");
  if (compact.empty() ||
      std::string_view("<>=").find(compact[0]) == std::string_view::npos) {
    return {};
  }
  return "[" + compact + "]";
}

struct MappedSection {
  std::string condition;
  std::string code;
};

std::string Joined(const std::vector<std::string>& sections) {
  std::string code;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (i > 0) code += ';';
    code += sections[i];
  }
  return code;
}

// Maps that say what plain sections say: ">=0" (then the style itself
// takes the negative numbers), or ">0", "<0" and perhaps "=0".
bool ArePlainSections(const std::vector<MappedSection>& maps) {
  if (maps.size() == 1) return maps[0].condition == "[>=0]";
  return (maps.size() == 2 || maps.size() == 3) &&
         maps[0].condition == "[>0]" && maps[1].condition == "[<0]" &&
         (maps.size() == 2 || maps[2].condition == "[=0]");
}

}  // namespace

std::string_view OdsStyleElement::Attribute(std::string_view local_name) const {
  for (const auto& [name, value] : attributes) {
    if (name == local_name) return value;
  }
  return {};
}

bool OdsStyleElement::HasAttribute(std::string_view local_name) const {
  for (const auto& attribute : attributes) {
    if (attribute.first == local_name) return true;
  }
  return false;
}

std::string OdsNumberStyleToCode(const OdsStyleElement& style,
                                 const OdsStyleLookup& lookup) {
  if (style.name == "boolean-style") return R"("TRUE";"TRUE";"FALSE")";
  const std::string self = SectionCode(style);
  std::vector<MappedSection> maps;
  for (const OdsStyleElement& child : style.children) {
    if (child.name != "map" || !lookup || maps.size() == 3) continue;
    const OdsStyleElement* target = lookup(child.Attribute("apply-style-name"));
    const std::string condition = Condition(child.Attribute("condition"));
    if (target != nullptr && !condition.empty()) {
      maps.push_back({condition, SectionCode(*target)});
    }
  }
  if (maps.empty()) return self;
  const bool text = style.name == "text-style";
  std::vector<std::string> sections;
  if (ArePlainSections(maps)) {
    for (const MappedSection& map : maps) sections.push_back(map.code);
    if (maps.size() < 3) sections.push_back(text ? "General" : self);
  } else {
    // A code has two conditions; what meets neither takes the third
    // section.
    for (std::size_t i = 0; i < std::min<std::size_t>(maps.size(), 2); ++i) {
      sections.push_back(maps[i].condition + maps[i].code);
    }
    sections.push_back(text ? (maps.size() > 2 ? maps[2].code : "General")
                            : self);
  }
  if (text) sections.push_back(self);
  return Joined(sections);
}

}  // namespace kestrilo
