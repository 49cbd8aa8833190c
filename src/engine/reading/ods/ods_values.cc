// SPDX-License-Identifier: MIT

#include "engine/reading/ods/ods_values.h"

#include <algorithm>
#include <string>

#include "engine/text/ascii_text.h"
#include "engine/text/iso_date.h"
#include "engine/text/number_text.h"

namespace kestrilo {

std::int64_t OdsRepeatCount(std::string_view text) {
  constexpr std::int64_t kMost = std::int64_t{1} << 40;
  std::int64_t value = 1;
  if (text.empty() || !ParseInteger(text, value) || value < 1) return 1;
  return std::min(value, kMost);
}

std::optional<float> OdsLengthInPoints(std::string_view text) {
  static constexpr struct {
    std::string_view unit;
    double points;
  } kUnits[] = {{"cm", 72 / 2.54}, {"mm", 72 / 25.4}, {"in", 72},
                {"pt", 1},         {"pc", 12},        {"px", 0.75}};
  constexpr double kMostPoints = 1e6;
  for (const auto& [unit, points] : kUnits) {
    if (!text.ends_with(unit)) continue;
    double value = 0;
    if (!ParseDouble(text.substr(0, text.size() - unit.size()), value) ||
        value < 0 || value * points > kMostPoints) {
      return std::nullopt;
    }
    return static_cast<float>(value * points);
  }
  return std::nullopt;
}

bool ParseOdsDateValue(std::string_view text, double& serial) {
  bool time_only = false;
  return ParseIsoDateTime(text, serial, time_only) && !time_only;
}

bool ParseOdsTimeValue(std::string_view text, double& days) {
  std::size_t pos = 0;
  double sign = 1;
  if (pos < text.size() && text[pos] == '-') {
    sign = -1;
    ++pos;
  }
  if (pos >= text.size() || text[pos++] != 'P') return false;
  double total = 0;
  bool in_time = false, any = false;
  while (pos < text.size()) {
    if (text[pos] == 'T') {
      in_time = true;
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    while (pos < text.size() &&
           ((text[pos] >= '0' && text[pos] <= '9') || text[pos] == '.')) {
      ++pos;
    }
    if (pos == start || pos >= text.size()) return false;
    double number;
    if (!ParseDouble(text.substr(start, pos - start), number)) return false;
    const char unit = text[pos++];
    if (unit == 'D' && !in_time) {
      total += number;
    } else if (unit == 'H' && in_time) {
      total += number / 24;
    } else if (unit == 'M' && in_time) {
      total += number / 1440;
    } else if (unit == 'S' && in_time) {
      total += number / 86400;
    } else {
      return false;
    }
    any = true;
  }
  days = sign * total;
  return any;
}

bool IsOdsBooleanFormula(std::string_view formula) {
  const std::size_t equals = formula.find('=');
  if (equals == std::string_view::npos || formula.size() - equals > 16) {
    return false;
  }
  std::string bare;
  for (const char c : formula.substr(equals + 1)) {
    if (c != ' ') bare += c;
  }
  return EqualsIgnoringAsciiCase(bare, "TRUE()") ||
         EqualsIgnoringAsciiCase(bare, "FALSE()");
}

bool IsOdsErrorCode(std::string_view text) {
  static constexpr std::string_view kCodes[] = {
      "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
  for (std::string_view code : kCodes) {
    if (text == code) return true;
  }
  if (text.size() == 7 && text.substr(0, 4) == "Err:") {
    return text[4] >= '0' && text[4] <= '9' && text[5] >= '0' &&
           text[5] <= '9' && text[6] >= '0' && text[6] <= '9';
  }
  return false;
}

}  // namespace kestrilo
