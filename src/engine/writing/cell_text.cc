// SPDX-License-Identifier: MIT

#include "engine/writing/cell_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/writing/short_copy.h"
#include "engine/writing/xml_name_chars.h"

namespace kestrilo {

namespace {

// Powers of ten that doubles hold exactly.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3, 1e4,  1e5,
                                   1e6,  1e7,  1e8,  1e9, 1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15};

// Most numbers of a sheet are integers or decimals of a few digits, for
// which the general conversion is needlessly slow. When `magnitude` is the
// double nearest to a decimal of at most 15 significant digits that prints
// without an exponent, "%.15g" gives exactly that decimal (15 digits
// survive a round trip through a double), so its digits are written
// directly. Returns nullptr for any other number.
char* WriteShortDecimal(double magnitude, char* out) {
  if (!(magnitude >= 1e-4 && magnitude < 1e15)) return nullptr;
  for (int places = 0; places < 16; ++places) {
    const double scaled = magnitude * kPowersOfTen[places];
    if (scaled >= 1e15) return nullptr;
    // Any integer near `scaled` will do: the division proves it or not.
    const auto digits = static_cast<std::int64_t>(scaled + 0.5);
    if (static_cast<double>(digits) / kPowersOfTen[places] != magnitude) {
      continue;
    }
    char text[24];
    char* end = std::to_chars(text, text + sizeof text, digits).ptr;
    const auto count = static_cast<int>(end - text);
    if (places == 0) return std::copy(text, end, out);
    // The first places that fit leave no trailing zero behind the point.
    if (count <= places) {
      *out++ = '0';
      *out++ = '.';
      out = std::fill_n(out, places - count, '0');
      return std::copy(text, end, out);
    }
    out = std::copy(text, end - places, out);
    *out++ = '.';
    return std::copy(end - places, end, out);
  }
  return nullptr;
}

char* WriteNumber(double value, char* out) {
  if (std::isnan(value)) return std::copy_n("NaN", 3, out);
  if (std::isinf(value)) {
    return value < 0 ? std::copy_n("-Infinity", 9, out)
                     : std::copy_n("Infinity", 8, out);
  }
  if (value == 0) {  // no "-0"
    *out = '0';
    return out + 1;
  }
  char* sign_end = out;
  if (value < 0) *sign_end++ = '-';
  if (char* end = WriteShortDecimal(std::fabs(value), sign_end)) return end;
  // The same text as printf("%.15g"), without its locale lookups.
  return std::to_chars(out, out + 32, value, std::chars_format::general, 15)
      .ptr;
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

char* WriteTwoDigits(int value, char* out) {
  out[0] = static_cast<char>('0' + value / 10);
  out[1] = static_cast<char>('0' + value % 10);
  return out + 2;
}

char* WriteClock(std::int64_t seconds_of_day, char* out) {
  const std::int64_t hours = seconds_of_day / 3600;
  if (hours >= 100) {
    out = std::to_chars(out, out + 24, hours).ptr;
  } else {
    out = WriteTwoDigits(static_cast<int>(hours), out);
  }
  *out++ = ':';
  out = WriteTwoDigits(static_cast<int>(seconds_of_day / 60 % 60), out);
  *out++ = ':';
  return WriteTwoDigits(static_cast<int>(seconds_of_day % 60), out);
}

char* WriteDateTime(double serial, bool time_only, char* out) {
  // Days from 1899-12-30 (serial 0) to 1970-01-01.
  constexpr std::int64_t kEpochOffset = 25569;
  constexpr double kLimit = 1e9;  // far beyond any calendar a sheet shows
  if (!std::isfinite(serial) || std::fabs(serial) > kLimit) {
    return WriteNumber(serial, out);
  }
  const auto total_seconds =
      static_cast<std::int64_t>(std::llround(serial * 86400.0));
  if (time_only) {
    if (total_seconds < 0) {
      *out++ = '-';
      return WriteClock(-total_seconds, out);
    }
    return WriteClock(total_seconds, out);
  }
  std::int64_t days = total_seconds / 86400;
  std::int64_t seconds = total_seconds % 86400;
  if (seconds < 0) {
    seconds += 86400;
    days -= 1;
  }
  int year, month, day;
  CivilFromDays(days - kEpochOffset, year, month, day);
  // Years before 1 and after 9999 as ISO 8601 and XML Schema write them:
  // a sign before a negative year, and four digits at least.
  if (year < 0) {
    *out++ = '-';
    year = -year;
  }
  if (year <= 9999) {
    out = WriteTwoDigits(year / 100, out);
    out = WriteTwoDigits(year % 100, out);
  } else {
    out = std::to_chars(out, out + 16, year).ptr;
  }
  *out++ = '-';
  out = WriteTwoDigits(month, out);
  *out++ = '-';
  out = WriteTwoDigits(day, out);
  if (seconds != 0) {
    *out++ = ' ';
    out = WriteClock(seconds, out);
  }
  return out;
}

}  // namespace

char* WriteCellText(const CellValue& value, char* out) {
  switch (value.kind) {
    case CellKind::kEmpty:
    case CellKind::kError:
    case CellKind::kText:
      return out;
    case CellKind::kNumber:
      return WriteNumber(value.number, out);
    case CellKind::kBoolean:
      return value.number != 0 ? std::copy_n("True", 4, out)
                               : std::copy_n("False", 5, out);
    case CellKind::kDateTime:
      return WriteDateTime(value.number, value.time_only, out);
  }
  return out;
}

void AppendCellText(const CellValue& value, std::string& out) {
  if (value.kind == CellKind::kText) {
    out += value.text;
    return;
  }
  char text[kMaxCellTextSize];
  out.append(text, WriteCellText(value, text));
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

namespace {

// Bytes that escaping must look at: "&", "<", ">", the control characters
// and every byte of a character beyond ASCII.
constexpr auto kNeedsLook = [] {
  std::array<bool, 256> table{};
  for (int code = 0; code < 256; ++code) {
    table[code] = code < 0x20 || code >= 0x80 || code == '&' || code == '<' ||
                  code == '>';
  }
  return table;
}();

#ifdef __SSE2__
// The bytes of `v` that escaping must look at, as a mask of bits.
int NeedsLookMask(__m128i v) {
  // Taken as signed, the bytes beyond ASCII are below 0x20 as the control
  // characters are.
  const __m128i low = _mm_cmplt_epi8(v, _mm_set1_epi8(0x20));
  const __m128i amp = _mm_cmpeq_epi8(v, _mm_set1_epi8('&'));
  // "<" (0x3C) and ">" (0x3E) differ in the bit 0x02 alone.
  const __m128i angle =
      _mm_cmpeq_epi8(_mm_or_si128(v, _mm_set1_epi8(0x02)), _mm_set1_epi8('>'));
  return _mm_movemask_epi8(_mm_or_si128(low, _mm_or_si128(amp, angle)));
}

__m128i LoadWord(const unsigned char* at) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
}

__m128i LoadQuarter(const unsigned char* at) {
  std::int32_t quarter;
  std::memcpy(&quarter, at, sizeof quarter);
  return _mm_cvtsi32_si128(quarter);
}
#endif

// The first byte from `i` on that escaping must look at; the size of
// `text` when there is none. Most cell texts are short and need no
// escaping: sixteen bytes are looked at together, and the last few as two
// parts that overlap, never a byte beyond the text.
std::size_t NextToLook(std::string_view text, std::size_t i) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
#ifdef __SSE2__
  for (; i + 16 <= size; i += 16) {
    const int mask = NeedsLookMask(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
  const std::size_t left = size - i;
  if (left >= 8) {
    const int mask = NeedsLookMask(
        _mm_unpacklo_epi64(LoadWord(bytes + i), LoadWord(bytes + size - 8)));
    if (mask == 0) return size;
    if ((mask & 0xFF) != 0) {
      return i + static_cast<std::size_t>(__builtin_ctz(mask & 0xFF));
    }
    return size - 8 + static_cast<std::size_t>(__builtin_ctz(mask >> 8));
  }
  if (left >= 4) {
    const int mask =
        NeedsLookMask(_mm_unpacklo_epi32(LoadQuarter(bytes + i),
                                         LoadQuarter(bytes + size - 4))) &
        0xFF;
    if (mask == 0) return size;
    if ((mask & 0x0F) != 0) {
      return i + static_cast<std::size_t>(__builtin_ctz(mask & 0x0F));
    }
    return size - 4 + static_cast<std::size_t>(__builtin_ctz(mask >> 4));
  }
#endif
  while (i < size && !kNeedsLook[bytes[i]]) ++i;
  return i;
}

}  // namespace

namespace {

thread_local std::uint64_t replaced_characters = 0;

}  // namespace

std::uint64_t ReplacedCharacterCount() { return replaced_characters; }

char* WriteEscaped(std::string_view text, char* out) {
  std::size_t i = NextToLook(text, 0);
  out = CopyShort(text.substr(0, i), out);
  while (i < text.size()) {
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
        bool holdable;
        length = CharacterAt(text, i, holdable);
        entity = holdable ? text.substr(i, length) : kReplacement;
        replaced_characters += !holdable;
      }
    }
    out = std::copy(entity.begin(), entity.end(), out);
    i += length;
    const std::size_t next = NextToLook(text, i);
    out = std::copy(text.data() + i, text.data() + next, out);
    i = next;
  }
  return out;
}

std::size_t EscapablePart(std::string_view text, std::size_t most) {
  if (text.size() <= most) return text.size();
  // No character reads past a byte that cannot continue one, nor past four
  // bytes that all continue one: either is a place to cut.
  for (std::size_t cut = most; cut + 4 > most; --cut) {
    if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80) return cut;
  }
  return most;
}

void AppendEscaped(std::string_view text, std::string& out) {
  constexpr std::size_t kPart = 4096;
  while (!text.empty()) {
    const std::size_t part = EscapablePart(text, kPart);
    const std::size_t start = out.size();
    out.resize(start + kMaxEscapedGrowth * part);
    out.resize(WriteEscaped(text.substr(0, part), out.data() + start) -
               out.data());
    text.remove_prefix(part);
  }
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
    // A colon would make the name a prefixed one, which a parser that knows
    // namespaces refuses unless the prefix is declared: it is replaced too.
    const bool kept_as_is = code != ':' && IsXmlNameChar(code);
    if (i == start) needs_prefix = code == ':' || !IsXmlNameStartChar(code);
    if (kept_as_is) {
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

namespace {

// The length of the start of `text` that is printable ASCII, found eight
// bytes at a time: most cell texts are, and need no closer look. A byte
// below 0x20 or above 0x7F stops it (so may, now and then, a byte next to
// one that borrows: it is then looked at byte by byte, to the same end).
std::size_t PrintableAsciiStart(std::string_view text) {
  constexpr std::uint64_t kSpaces = 0x2020202020202020;
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t bytes;
    std::memcpy(&bytes, text.data() + i, sizeof bytes);
    if (((bytes | (bytes - kSpaces)) & kHighBits) != 0) break;
  }
  return i;
}

}  // namespace

bool HoldsCharactersXmlCannot(std::string_view text) {
  bool holdable = true;
  for (std::size_t i = NextToLook(text, PrintableAsciiStart(text));
       i < text.size() && holdable; i = NextToLook(text, i)) {
    i += CharacterAt(text, i, holdable);
  }
  return !holdable;
}

}  // namespace kestrilo
