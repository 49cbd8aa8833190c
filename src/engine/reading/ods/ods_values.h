// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrilo {

/// How the attribute values of OpenDocument content read: repeat counts,
/// lengths, dates, durations, formulas and error codes.

/// A repeat attribute: at least 1 (for a missing or bad one too), and
/// small enough that sums of repeats cannot overflow; callers cap them at
/// the sheet's limits.
std::int64_t OdsRepeatCount(std::string_view text);

/// A length of the style properties ("2.258cm", "0.5in", "12pt") in points;
/// nothing for one without a known unit, negative, or absurdly large.
std::optional<float> OdsLengthInPoints(std::string_view text);

/// office:date-value: a date, perhaps with a time; gives the serial.
bool ParseOdsDateValue(std::string_view text, double& serial);

/// office:time-value, an ISO 8601 duration such as "PT13H45M30S",
/// "PT36H00M00S" or "-P1DT2H". Gives the duration in days.
bool ParseOdsTimeValue(std::string_view text, double& days);

/// "of:=TRUE()" or "of:=FALSE()" (any namespace prefix, any case): the
/// formulas whose result LibreOffice shows, and means, as a truth value.
bool IsOdsBooleanFormula(std::string_view formula);

/// The codes spreadsheet applications show for error results.
bool IsOdsErrorCode(std::string_view text);

}  // namespace kestrilo
