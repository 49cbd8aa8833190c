// SPDX-License-Identifier: MIT

#include "engine/display/general_number.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/display/decimal_digits.h"

namespace kestrilo {

namespace {

// A way of writing the number that fits: its rounded digits, the place it
// was rounded at, and for scientific notation the exponent.
struct Candidate {
  bool fits = false;
  DecimalDigits digits;
  int place = 0;
};

int IntegerLength(const DecimalDigits& digits) {
  return std::max(1, digits.integer_digits());
}

int DecimalsShown(const DecimalDigits& digits) {
  return digits.is_zero() ? 0 : std::max(0, -digits.last_place());
}

// The fixed form with as many decimals as fit in `room` characters.
Candidate Fixed(const DecimalDigits& digits, int room) {
  Candidate candidate;
  if (IntegerLength(digits) > room) return candidate;
  for (int decimals = std::max(0, room - IntegerLength(digits) - 1);
       decimals >= 0; --decimals) {
    const DecimalDigits rounded = digits.RoundedAtPlace(-decimals);
    const int shown = DecimalsShown(rounded);
    const int length = IntegerLength(rounded) + (shown > 0 ? shown + 1 : 0);
    if (length <= room) {
      candidate = {true, rounded, -decimals};
      break;
    }
  }
  return candidate;
}

int ExponentLength(int exponent) { return std::abs(exponent) >= 100 ? 5 : 4; }

// "d.dddE+dd" with as many mantissa decimals as fit in `room` characters.
Candidate Scientific(const DecimalDigits& digits, int room) {
  Candidate candidate;
  for (int decimals = room - ExponentLength(digits.exponent()) - 2;
       decimals >= -1; --decimals) {
    const DecimalDigits rounded =
        digits.RoundedToSignificant(1 + std::max(0, decimals));
    const int shown = rounded.exponent() - rounded.last_place();
    const int length =
        1 + (shown > 0 ? shown + 1 : 0) + ExponentLength(rounded.exponent());
    if (length <= room) {
      candidate = {true, rounded, rounded.exponent() - std::max(0, decimals)};
      break;
    }
  }
  return candidate;
}

void AppendFixed(const DecimalDigits& digits, std::string& out) {
  const int integers = digits.integer_digits();
  if (integers == 0) out += '0';
  for (int place = integers - 1; place >= 0; --place) {
    out += static_cast<char>('0' + digits.DigitAt(place));
  }
  const int decimals = DecimalsShown(digits);
  if (decimals > 0) out += '.';
  for (int place = -1; place >= -decimals; --place) {
    out += static_cast<char>('0' + digits.DigitAt(place));
  }
}

void AppendScientific(const DecimalDigits& digits, std::string& out) {
  const int exponent = digits.exponent();
  out += static_cast<char>('0' + digits.DigitAt(exponent));
  if (digits.last_place() < exponent) out += '.';
  for (int place = exponent - 1; place >= digits.last_place(); --place) {
    out += static_cast<char>('0' + digits.DigitAt(place));
  }
  out += exponent < 0 ? "E-" : "E+";
  const int magnitude = std::abs(exponent);
  if (magnitude >= 100) out += static_cast<char>('0' + magnitude / 100);
  out += static_cast<char>('0' + magnitude / 10 % 10);
  out += static_cast<char>('0' + magnitude % 10);
}

}  // namespace

bool AppendGeneralNumber(double value, int width, std::string& out) {
  if (!std::isfinite(value)) {
    if (width < 5) return false;
    out += "#NUM!";
    return true;
  }
  const DecimalDigits digits = DecimalDigits::Of(value);
  if (digits.is_zero()) {
    if (width < 1) return false;
    out += '0';
    return true;
  }
  const bool negative = value < 0;
  const int room = std::min(width - (negative ? 1 : 0), kGeneralMaxCharacters);
  if (room < 1) return false;
  const Candidate fixed = Fixed(digits, room);
  const Candidate scientific = Scientific(digits, room);
  // The fixed form wins when it keeps every digit, or at least as many as
  // scientific notation would; a fixed form rounded to zero keeps none.
  const bool fixed_exact = fixed.fits && fixed.place <= digits.last_place();
  const bool use_fixed =
      fixed.fits && !fixed.digits.is_zero() &&
      (fixed_exact || !scientific.fits || fixed.place <= scientific.place);
  if (!use_fixed && !scientific.fits) return false;
  if (negative) out += '-';
  if (use_fixed) {
    AppendFixed(fixed.digits, out);
  } else {
    AppendScientific(scientific.digits, out);
  }
  return true;
}

std::string GeneralNumberText(double value) {
  std::string text;
  AppendGeneralNumber(value, kUnlimitedWidth, text);
  return text;
}

}  // namespace kestrilo
