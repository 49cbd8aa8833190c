// SPDX-License-Identifier: MIT

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "engine/display/civil_date.h"
#include "engine/display/section_renderers.h"

namespace kestrilo::format_internal {

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kDayNames = {
    "Sunday",   "Monday", "Tuesday", "Wednesday",
    "Thursday", "Friday", "Saturday"};

// Beyond this many days, counting in units of a thousandth of a second
// could overflow; no date or duration a spreadsheet shows comes near.
constexpr double kMaxDays = 1e10;

struct Moment {
  CivilDate date;
  int weekday = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::int64_t subsecond = 0;  // in units of the section's finest fraction
  std::int64_t total_seconds = 0;
};

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The 1900 system's days: 0 is "1900-01-00", 60 the 29 February that
// never was, from 61 on the serial days themselves.
CivilDate SpreadsheetDate(std::int64_t day) {
  if (day == 0) return {1900, 1, 0};
  if (day == 60) return {1900, 2, 29};
  return CivilDateOfSerialDay(day < 60 ? day + 1 : day);
}

bool MomentOf(double serial, DateBasis basis, int subsecond_digits,
              Moment& moment) {
  std::int64_t scale = 1;
  for (int i = 0; i < subsecond_digits; ++i) scale *= 10;
  // A time is rounded to what it shows (whole seconds, or hundredths for
  // ".00"), then cut into days, hours, minutes and seconds: 10:29:59.6
  // shows as 10:30 under h:mm.
  const std::int64_t units_per_day = 86400 * scale;
  const auto units = static_cast<std::int64_t>(
      std::floor(serial * static_cast<double>(units_per_day) + 0.5));
  const std::int64_t day = FloorDivide(units, units_per_day);
  const std::int64_t rest = units - day * units_per_day;
  moment.subsecond = rest % scale;
  const std::int64_t seconds = rest / scale;
  moment.hour = static_cast<int>(seconds / 3600);
  moment.minute = static_cast<int>(seconds / 60 % 60);
  moment.second = static_cast<int>(seconds % 60);
  moment.total_seconds = FloorDivide(units, scale);
  moment.date = basis == DateBasis::kSpreadsheet ? SpreadsheetDate(day)
                                                 : CivilDateOfSerialDay(day);
  moment.weekday = WeekdayOfSerialDay(day);
  return moment.date.year >= 1 && moment.date.year <= 9999;
}

void AppendNumber(std::int64_t value, int width, std::string& out) {
  char digits[24];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (auto length = end - digits; length < width; ++length) out += '0';
  out.append(digits, static_cast<std::size_t>(end - digits));
}

// Whether the section's day parts are of a 12-hour clock: hours 1 to 12.
int ClockHour(const Section& section, int hour) {
  if (!section.twelve_hour) return hour;
  return hour % 12 == 0 ? 12 : hour % 12;
}

void AppendPart(const Section& section, const Token& token,
                const Moment& moment, std::string& out) {
  const CivilDate& date = moment.date;
  switch (token.kind) {
    case TokenKind::kYear2:
      AppendNumber(date.year % 100, 2, out);
      break;
    case TokenKind::kYear4:
      AppendNumber(date.year, 4, out);
      break;
    case TokenKind::kMonth:
    case TokenKind::kMonth2:
      AppendNumber(date.month, token.kind == TokenKind::kMonth ? 1 : 2, out);
      break;
    case TokenKind::kMonthAbbreviation:
      out += kMonthNames[date.month - 1].substr(0, 3);
      break;
    case TokenKind::kMonthName:
      out += kMonthNames[date.month - 1];
      break;
    case TokenKind::kMonthLetter:
      out += kMonthNames[date.month - 1][0];
      break;
    case TokenKind::kDay:
    case TokenKind::kDay2:
      AppendNumber(date.day, token.kind == TokenKind::kDay ? 1 : 2, out);
      break;
    case TokenKind::kDayAbbreviation:
      out += kDayNames[moment.weekday].substr(0, 3);
      break;
    case TokenKind::kDayName:
      out += kDayNames[moment.weekday];
      break;
    case TokenKind::kHour:
    case TokenKind::kHour2:
      AppendNumber(ClockHour(section, moment.hour),
                   token.kind == TokenKind::kHour ? 1 : 2, out);
      break;
    case TokenKind::kMinute:
    case TokenKind::kMinute2:
      AppendNumber(moment.minute, token.kind == TokenKind::kMinute ? 1 : 2,
                   out);
      break;
    case TokenKind::kSecond:
    case TokenKind::kSecond2:
      AppendNumber(moment.second, token.kind == TokenKind::kSecond ? 1 : 2,
                   out);
      break;
    case TokenKind::kSubSecond: {
      std::string digits;
      AppendNumber(moment.subsecond, section.subsecond_digits, digits);
      out += '.';
      out.append(digits, 0, token.position);
      break;
    }
    case TokenKind::kElapsedHours:
      AppendNumber(moment.total_seconds / 3600, token.position, out);
      break;
    case TokenKind::kElapsedMinutes:
      AppendNumber(moment.total_seconds / 60, token.position, out);
      break;
    case TokenKind::kElapsedSeconds:
      AppendNumber(moment.total_seconds, token.position, out);
      break;
    case TokenKind::kAmPm:
      // Letter case as the code writes it: "am/pm" shows "am" or "pm".
      if (token.symbol == 'a') {
        out += moment.hour < 12 ? "am" : "pm";
      } else {
        out += moment.hour < 12 ? "AM" : "PM";
      }
      break;
    case TokenKind::kAP:
      out += static_cast<char>((moment.hour < 12 ? 'A' : 'P') +
                               (token.symbol == 'a' ? 'a' - 'A' : 0));
      break;
    default:
      break;
  }
}

}  // namespace

bool AppendDateSection(const Section& section, double serial, DateBasis basis,
                       std::string& out, RenderResult& result) {
  if (!(std::fabs(serial) < kMaxDays)) return false;
  if (serial < 0 && (basis == DateBasis::kSpreadsheet || section.elapsed)) {
    return false;
  }
  Moment moment;
  if (!MomentOf(serial, basis, section.subsecond_digits, moment) &&
      !section.elapsed) {
    return false;
  }
  for (const Token& token : section.tokens) {
    if (token.kind == TokenKind::kLiteral || token.kind == TokenKind::kFill) {
      AppendLiteral(section, token, out, result);
    } else {
      AppendPart(section, token, moment, out);
    }
  }
  return true;
}

}  // namespace kestrilo::format_internal
