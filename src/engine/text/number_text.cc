// SPDX-License-Identifier: MIT

#include "engine/text/number_text.h"

#include <cmath>
#include <cstdint>

namespace kestrilo {

bool ParseDouble(std::string_view text, double& value) {
  text = TrimmedValue(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  // Up to 15 digits, or a decimal point among digits that make a whole
  // number up to 2^53 (the 17 significant digits written for a date and
  // time among them), are read without the general conversion: that whole
  // number is exact in a double, and so is the power of ten under the
  // point, and the division rounds their quotient correctly, just as the
  // general conversion would.
  const bool negative = text.front() == '-';
  const std::string_view digits = text.substr(negative ? 1 : 0);
  constexpr std::int64_t kExactWhole = std::int64_t{1} << 53;
  if (!digits.empty() && digits.size() <= 18) {
    const char* p = digits.data();
    const char* const end = p + digits.size();
    std::int64_t whole = 0;
    const auto read_digits = [&] {
      while (p != end && *p >= '0' && *p <= '9')
        whole = whole * 10 + (*p++ - '0');
    };
    read_digits();
    if (p == end && digits.size() <= 15) {
      value = static_cast<double>(negative ? -whole : whole);
      return true;
    }
    if (p != end && p != digits.data() && *p == '.' && end - p > 1) {
      const char* const fraction = ++p;
      read_digits();
      if (p == end && whole <= kExactWhole) {
        static constexpr double kPowersOfTen[] = {
            1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
            1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};
        const double quotient =
            static_cast<double>(whole) / kPowersOfTen[end - fraction];
        value = negative ? -quotient : quotient;
        return true;
      }
    }
  }
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() &&
         std::isfinite(value);
}

}  // namespace kestrilo
