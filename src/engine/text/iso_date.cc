// SPDX-License-Identifier: MIT

#include "engine/text/iso_date.h"

#include "engine/text/ascii_text.h"
#include "engine/text/number_text.h"

namespace kestrilo {

namespace {

// Reads exactly `count` decimal digits at text[pos], moving past them.
bool Digits(std::string_view text, std::size_t& pos, std::size_t count,
            int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = text[pos++];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// "YYYY-MM-DD" (a sign and up to six year digits allowed) at the start of
// `text`; the serial of that day.
bool ReadDate(std::string_view text, std::size_t& pos, double& days) {
  const bool negative = !text.empty() && text[0] == '-';
  pos = negative ? 1 : 0;
  std::size_t end = pos;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  const std::size_t year_digits = end - pos;
  int year, month, day;
  if (year_digits < 4 || year_digits > 6 ||
      !Digits(text, pos, year_digits, year) || pos >= text.size() ||
      text[pos++] != '-' || !Digits(text, pos, 2, month) ||
      pos >= text.size() || text[pos++] != '-' || !Digits(text, pos, 2, day) ||
      month < 1 || month > 12 || day < 1 || day > 31) {
    return false;
  }
  days = SerialOfDate(negative ? -year : year, static_cast<unsigned>(month),
                      static_cast<unsigned>(day));
  return true;
}

// "HH:MM[:SS[.fff]]" at text[pos]; the fraction of a day.
bool ReadTime(std::string_view text, std::size_t& pos, double& fraction) {
  int hour, minute;
  if (!Digits(text, pos, 2, hour) || pos >= text.size() || text[pos++] != ':' ||
      !Digits(text, pos, 2, minute)) {
    return false;
  }
  double second = 0;
  if (pos < text.size() && text[pos] == ':') {
    std::size_t end = ++pos;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') ||
                                 text[end] == '.' || text[end] == ',')) {
      ++end;
    }
    std::string seconds(text.substr(pos, end - pos));
    for (char& c : seconds) {
      if (c == ',') c = '.';
    }
    if (seconds.empty() || !ParseDouble(seconds, second)) return false;
    pos = end;
  }
  fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  return true;
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year =
      (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

double SerialOfDate(std::int64_t year, unsigned month, unsigned day) {
  return static_cast<double>(DaysFromCivil(year, month, day) -
                             DaysFromCivil(1899, 12, 30));
}

bool ParseIsoDateTime(std::string_view text, double& serial, bool& time_only) {
  text = TrimmedValue(text);
  std::size_t pos = 0;
  double days = 0;
  time_only = !ReadDate(text, pos, days);
  if (time_only) {
    pos = 0;
  } else if (pos == text.size()) {
    serial = days;
    return true;
  } else if (text[pos] == 'T' || text[pos] == ' ') {
    ++pos;
  } else if (text[pos] != 'Z' && text[pos] != '+' && text[pos] != '-') {
    return false;
  }
  double fraction = 0;
  const bool zone_follows_date =
      !time_only && (text[pos - 1] != 'T' && text[pos - 1] != ' ');
  if (!zone_follows_date && !ReadTime(text, pos, fraction)) return false;
  const std::string_view zone = text.substr(pos);
  if (!zone.empty() && zone != "Z" && zone.front() != '+' &&
      zone.front() != '-') {
    return false;
  }
  serial = days + fraction;
  return true;
}

}  // namespace kestrilo
