#include "engine/writing/cell_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "engine/writing/xml_name_chars.h"

namespace kestrilo {

namespace {

void AppendNumber(double value, std::string& out) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-Infinity" : "Infinity";
    return;
  }
  if (value == 0) value = 0;  // no "-0"
  char buffer[32];
  // The same text as printf("%.15g"), without its locale lookups.
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                              std::chars_format::general, 15);
  out.append(buffer, result.ptr);
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe =
      (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

void AppendTwoDigits(int value, std::string& out) {
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

void AppendClock(std::int64_t seconds_of_day, std::string& out) {
  const std::int64_t hours = seconds_of_day / 3600;
  if (hours >= 100) {
    out += std::to_string(hours);
  } else {
    AppendTwoDigits(static_cast<int>(hours), out);
  }
  out += ':';
  AppendTwoDigits(static_cast<int>(seconds_of_day / 60 % 60), out);
  out += ':';
  AppendTwoDigits(static_cast<int>(seconds_of_day % 60), out);
}

void AppendDateTime(double serial, bool time_only, std::string& out) {
  // Days from 1899-12-30 (serial 0) to 1970-01-01.
  constexpr std::int64_t kEpochOffset = 25569;
  constexpr double kLimit = 1e9;  // far beyond any calendar a sheet shows
  if (!std::isfinite(serial) || std::fabs(serial) > kLimit) {
    AppendNumber(serial, out);
    return;
  }
  const auto total_seconds =
      static_cast<std::int64_t>(std::llround(serial * 86400.0));
  if (time_only) {
    if (total_seconds < 0) {
      out += '-';
      AppendClock(-total_seconds, out);
    } else {
      AppendClock(total_seconds, out);
    }
    return;
  }
  std::int64_t days = total_seconds / 86400;
  std::int64_t seconds = total_seconds % 86400;
  if (seconds < 0) {
    seconds += 86400;
    days -= 1;
  }
  int year, month, day;
  CivilFromDays(days - kEpochOffset, year, month, day);
  char buffer[32];
  int length;
  if (year >= 0 && year <= 9999) {
    length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month,
                           day);
  } else {
    length =
        std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d", year, month, day);
  }
  out.append(buffer, static_cast<std::size_t>(length));
  if (seconds != 0) {
    out += ' ';
    AppendClock(seconds, out);
  }
}

}  // namespace

void AppendCellText(const CellValue& value, std::string& out) {
  switch (value.kind) {
    case CellKind::kEmpty:
    case CellKind::kError:
      return;
    case CellKind::kText:
      out += value.text;
      return;
    case CellKind::kNumber:
      AppendNumber(value.number, out);
      return;
    case CellKind::kBoolean:
      out += value.number != 0 ? "True" : "False";
      return;
    case CellKind::kDateTime:
      AppendDateTime(value.number, value.time_only, out);
      return;
  }
}

std::string CellText(const CellValue& value) {
  std::string text;
  AppendCellText(value, text);
  return text;
}

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length in bytes of the UTF-8 character at `i`, and whether XML 1.0
// can hold it in any form: not the control characters but TAB, LF and CR,
// not U+FFFE, U+FFFF or a surrogate. A byte that begins no well-formed
// sequence counts as a character of its own that XML cannot hold.
std::size_t CharacterAt(std::string_view text, std::size_t i, bool& holdable) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) {
    holdable = lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r';
    return 1;
  }
  holdable = false;
  std::size_t length = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 1;
  }
  if (length > text.size() - i) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 1;
    code = (code << 6) | (next & 0x3F);
  }
  if ((length == 3 && code < 0x800) ||
      (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
    return 1;  // overlong, or beyond Unicode
  }
  holdable =
      code != 0xFFFE && code != 0xFFFF && (code < 0xD800 || code > 0xDFFF);
  return length;
}

// Characters that would end or break a tag if a name carried them.
bool IsMarkup(char c) {
  switch (c) {
    case '<':
    case '>':
    case '&':
    case '"':
    case '\'':
    case '/':
    case '=':
      return true;
    default:
      return false;
  }
}

}  // namespace

void AppendEscaped(std::string_view text, std::string& out) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view entity;
    std::size_t length = 1;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      default: {
        // Printable ASCII, most of any sheet, needs no closer look.
        const auto code = static_cast<unsigned char>(text[i]);
        if (code >= 0x20 && code < 0x80) continue;
        bool holdable;
        length = CharacterAt(text, i, holdable);
        if (holdable) {
          i += length - 1;
          continue;
        }
        entity = kReplacement;
      }
    }
    out.append(text, start, i - start);
    out += entity;
    i += length - 1;
    start = i + 1;
  }
  out.append(text, start, text.size() - start);
}

void AppendTagName(std::string_view text, bool safe, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ') continue;
    if (!safe) {
      out += c;
      continue;
    }
    if (IsMarkup(c)) {
      out += '_';
      continue;
    }
    bool holdable;
    const std::size_t length = CharacterAt(text, i, holdable);
    if (holdable) {
      out.append(text, i, length);
    } else {
      out += kReplacement;
    }
    i += length - 1;
  }
}

namespace {

// The code point of the UTF-8 character at `i` and its length in bytes; a
// byte that begins no well-formed character gives length 1 and a code point
// no name may hold.
char32_t CodePointAt(std::string_view text, std::size_t i,
                     std::size_t& length) {
  bool holdable;
  length = CharacterAt(text, i, holdable);
  if (!holdable) return 0;
  const auto lead = static_cast<unsigned char>(text[i]);
  if (length == 1) return lead;
  char32_t code = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  }
  return code;
}

}  // namespace

void MakeNameValid(std::string& name, std::size_t start) {
  const std::string_view text(name);
  std::size_t kept = start;
  bool needs_prefix = true;
  for (std::size_t i = start; i < text.size();) {
    std::size_t length;
    const char32_t code = CodePointAt(text, i, length);
    if (i == start) needs_prefix = code == ':' || !IsXmlNameStartChar(code);
    if (IsXmlNameChar(code)) {
      // Moving left over bytes already read is safe: kept <= i.
      for (std::size_t k = 0; k < length; ++k) name[kept++] = name[i + k];
    } else {
      name[kept++] = '_';
    }
    i += length;
  }
  name.resize(kept);
  if (needs_prefix) name.insert(start, 1, '_');
}

bool HoldsCharactersXmlCannot(std::string_view text) {
  bool holdable = true;
  for (std::size_t i = 0; i < text.size() && holdable;) {
    i += CharacterAt(text, i, holdable);
  }
  return !holdable;
}

}  // namespace kestrilo
