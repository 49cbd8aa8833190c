// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>

namespace kestrilo {

/// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

/// The serial (days since 1899-12-30, as cells keep dates) of a date.
double SerialOfDate(std::int64_t year, unsigned month, unsigned day);

/// Reads an ISO 8601 date, date and time, or time of day, as xlsx (`t="d"`)
/// and ods (office:date-value) write them: "2021-03-04",
/// "2021-03-04T12:30:00", "2021-03-04 12:30", "12:30:00.5", years of four to
/// six digits and a sign, seconds with a fraction ("." or ","). A time zone
/// suffix ("Z", "+01:00") is ignored: spreadsheets have no time zones, the
/// writer means the wall-clock time. Blanks around it are allowed. Gives
/// the serial, and whether the text held a time only.
bool ParseIsoDateTime(std::string_view text, double& serial, bool& time_only);

}  // namespace kestrilo
