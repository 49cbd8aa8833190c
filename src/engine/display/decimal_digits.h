// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

namespace kestrilo {

/// The magnitude of a number as the decimal digits a spreadsheet works
/// with: at most 15 significant digits, rounded half away from zero on the
/// decimal digits themselves. So 2.675, stored in binary as 2.67499999...,
/// rounds to 2.68 at two places, as a spreadsheet shows it.
class DecimalDigits {
 public:
  /// The magnitude of `value` (its sign is dropped); `value` must be finite.
  static DecimalDigits Of(double value);

  bool is_zero() const { return count_ == 0; }
  /// The place of the first significant digit: 3 for 1234.5, -2 for 0.05.
  /// Zero for zero.
  int exponent() const { return exponent_; }
  /// The place of the last non-zero digit: -1 for 1234.5, 3 for 1000.
  int last_place() const { return exponent_ - count_ + 1; }
  /// The digit (0 to 9) at place `place` (10^place); 0 beyond the digits.
  int DigitAt(int place) const {
    const int index = exponent_ - place;
    return index >= 0 && index < count_ ? digits_[index] : 0;
  }
  /// The number of integer digits, 0 when it is below 1.
  int integer_digits() const {
    return is_zero() || exponent_ < 0 ? 0 : exponent_ + 1;
  }

  /// Rounded half away from zero to a multiple of 10^place.
  DecimalDigits RoundedAtPlace(int place) const;
  /// Rounded half away from zero to `digits` significant digits (at least 1).
  DecimalDigits RoundedToSignificant(int digits) const {
    return RoundedAtPlace(exponent_ - (digits < 1 ? 1 : digits) + 1);
  }

 private:
  void DropTrailingZeros();

  // Digit values 0 to 9, most significant first, without trailing zeros.
  std::uint8_t digits_[16] = {};
  int count_ = 0;
  int exponent_ = 0;
};

}  // namespace kestrilo
