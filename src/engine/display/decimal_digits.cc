// SPDX-License-Identifier: MIT

#include "engine/display/decimal_digits.h"

#include <charconv>
#include <cmath>

namespace kestrilo {

namespace {

// Significant digits a spreadsheet keeps of a number.
constexpr int kSignificantDigits = 15;

}  // namespace

DecimalDigits DecimalDigits::Of(double value) {
  DecimalDigits result;
  value = std::fabs(value);
  if (!(value > 0) || !std::isfinite(value)) return result;
  // "d.dddddddddddddde+XX": the shortest exact way to 15 significant digits.
  char text[32];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value,
                    std::chars_format::scientific, kSignificantDigits - 1);
  if (error != std::errc()) return result;
  const char* p = text;
  result.digits_[result.count_++] = static_cast<std::uint8_t>(*p++ - '0');
  if (*p == '.') ++p;
  while (p < end && *p != 'e') {
    result.digits_[result.count_++] = static_cast<std::uint8_t>(*p++ - '0');
  }
  int exponent = 0;
  if (p < end) std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
  result.exponent_ = exponent;
  result.DropTrailingZeros();
  return result;
}

void DecimalDigits::DropTrailingZeros() {
  while (count_ > 0 && digits_[count_ - 1] == 0) --count_;
  if (count_ == 0) exponent_ = 0;
}

DecimalDigits DecimalDigits::RoundedAtPlace(int place) const {
  // Digits at places place and above are kept; the next one decides.
  const int keep = exponent_ - place + 1;
  if (keep >= count_) return *this;
  DecimalDigits result;
  if (keep < 0) return result;
  if (keep == 0) {
    if (digits_[0] >= 5) {
      result.digits_[0] = 1;
      result.count_ = 1;
      result.exponent_ = place;
    }
    return result;
  }
  result = *this;
  result.count_ = keep;
  if (digits_[keep] >= 5) {
    int index = keep - 1;
    while (index >= 0 && result.digits_[index] == 9) {
      result.digits_[index--] = 0;
    }
    if (index >= 0) {
      ++result.digits_[index];
    } else {  // 999.5 becomes 1000: one more integer digit
      result.digits_[0] = 1;
      result.count_ = 1;
      ++result.exponent_;
    }
  }
  result.DropTrailingZeros();
  return result;
}

}  // namespace kestrilo
