// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

namespace kestrilo {

/// A day of the proleptic Gregorian calendar.
struct CivilDate {
  int year = 1899;
  int month = 12;  // 1 to 12
  int day = 30;    // 1 to 31
};

/// The date `days` days after 1899-12-30, the day our serials count from.
CivilDate CivilDateOfSerialDay(std::int64_t days);

/// The day of the week of serial day `days`, 0 for Sunday to 6 for
/// Saturday (1899-12-30 was a Saturday).
int WeekdayOfSerialDay(std::int64_t days);

}  // namespace kestrilo
