// SPDX-License-Identifier: MIT

#include "engine/display/civil_date.h"

namespace kestrilo {

namespace {

// Days from 0000-03-01 to 1899-12-30 in the proleptic Gregorian calendar.
constexpr std::int64_t kEpochFromMarchYearZero = 693899;

}  // namespace

// Counts in 400-year eras of 146,097 days with years starting on 1 March,
// so that the leap day falls at the end of a year.
CivilDate CivilDateOfSerialDay(std::int64_t days) {
  const std::int64_t z = days + kEpochFromMarchYearZero;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t day_of_era = z - era * 146097;
  const std::int64_t year_of_era = (day_of_era - day_of_era / 1460 +
                                    day_of_era / 36524 - day_of_era / 146096) /
                                   365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t month_from_march = (5 * day_of_year + 2) / 153;
  CivilDate date;
  date.day =
      static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
  date.month = static_cast<int>(month_from_march < 10 ? month_from_march + 3
                                                      : month_from_march - 9);
  date.year =
      static_cast<int>(year_of_era + era * 400 + (date.month <= 2 ? 1 : 0));
  return date;
}

int WeekdayOfSerialDay(std::int64_t days) {
  const std::int64_t weekday = (days + 6) % 7;
  return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

}  // namespace kestrilo
