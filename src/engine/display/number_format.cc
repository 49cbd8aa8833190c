// SPDX-License-Identifier: MIT

#include "engine/display/number_format.h"

#include <string>

#include "engine/text/ascii_text.h"

namespace kestrilo {

NumberFormatKind ClassifyBuiltinFormat(int id) {
  if ((id >= 14 && id <= 17) || id == 22) return NumberFormatKind::kDateTime;
  if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47)) {
    return NumberFormatKind::kTime;
  }
  // Locale-dependent built-ins of East Asian versions of Excel.
  if ((id >= 27 && id <= 36) || (id >= 50 && id <= 58)) {
    return NumberFormatKind::kDateTime;
  }
  return NumberFormatKind::kNumber;
}

NumberFormatKind ClassifyFormatCode(std::string_view code) {
  // Only the first section decides (the one for positive numbers).
  bool has_date = false;
  bool has_time = false;
  bool in_quotes = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (in_quotes) {
      if (c == '"') in_quotes = false;
      continue;
    }
    switch (c) {
      case '"':
        in_quotes = true;
        continue;
      case '\\':
      case '_':
      case '*':
        ++i;  // the next character is literal (or a fill / space width)
        continue;
      case ';':
        i = code.size();
        continue;
      case '[': {
        const std::size_t close = code.find(']', i);
        if (close == std::string_view::npos) return NumberFormatKind::kNumber;
        std::string inner;
        for (char ch : code.substr(i + 1, close - i - 1)) {
          inner += AsciiLower(ch);
        }
        if (!inner.empty() &&
            inner.find_first_not_of("hms") == std::string::npos) {
          has_time = true;  // elapsed time: [h], [mm], [ss]
        }
        i = close;
        continue;
      }
      default:
        break;
    }
    if ((c == 'G' || c == 'g') && code.size() - i >= 7) {
      // "General" is a word, not era and date letters.
      std::string word;
      for (char ch : code.substr(i, 7)) {
        word += AsciiLower(ch);
      }
      if (word == "general") {
        i += 6;
        continue;
      }
    }
    switch (AsciiLower(c)) {
      case 'y':
      case 'd':
      case 'e':  // era year
      case 'g':  // era name
        has_date = true;
        break;
      case 'm':
        // "m" is month in a date and minutes beside hours or seconds; either
        // way the format shows a point in time.
        has_time = true;
        break;
      case 'h':
      case 's':
        has_time = true;
        break;
      case 'a':  // AM/PM, A/P
        if (code.substr(i, 5) == "AM/PM" || code.substr(i, 5) == "am/pm" ||
            code.substr(i, 3) == "A/P" || code.substr(i, 3) == "a/p") {
          has_time = true;
        }
        break;
      case 'b':  // Buddhist year (b, bb, bbbb) when not part of a word
        if (i + 1 < code.size() && (code[i + 1] == 'b' || code[i + 1] == 'B')) {
          has_date = true;
        }
        break;
      case '0':
      case '#':
      case '?':
        // Digits in a date format appear only as fractions of seconds.
        if (!(has_time && i > 0 && code[i - 1] == '.')) {
          if (!has_date && !has_time) return NumberFormatKind::kNumber;
        }
        break;
      default:
        break;
    }
  }
  if (has_date) return NumberFormatKind::kDateTime;
  if (has_time) {
    // A lone "m"/"mm"/"mmm" without hours or seconds is a month.
    bool hours_or_seconds = false;
    in_quotes = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
      const char c = code[i];
      if (c == '"') in_quotes = !in_quotes;
      if (in_quotes) continue;
      if (c == '\\') {
        ++i;
        continue;
      }
      if (c == ';') break;
      const char lower = AsciiLower(c);
      if (lower == 'h' || lower == 's') hours_or_seconds = true;
    }
    return hours_or_seconds ? NumberFormatKind::kTime
                            : NumberFormatKind::kDateTime;
  }
  return NumberFormatKind::kNumber;
}

double NormalizeDateSerial(double serial, bool date1904) {
  if (date1904) return serial + 1462.0;
  // Serials 1 to 59 are 1900-01-01 to 1900-02-28, one day further from
  // 1899-12-30 than their number says; 60 is the phantom 1900-02-29, read as
  // 1900-02-28 like other readers do.
  if (serial >= 1.0 && serial < 60.0) return serial + 1.0;
  return serial;
}

}  // namespace kestrilo
