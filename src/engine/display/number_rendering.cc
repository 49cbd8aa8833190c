// SPDX-License-Identifier: MIT

#include <cmath>
#include <cstdint>

#include "engine/display/decimal_digits.h"
#include "engine/display/general_number.h"
#include "engine/display/section_renderers.h"

namespace kestrilo::format_internal {

namespace {

// The integer digits to place right-aligned in placeholders: the digit at
// place q is digits.DigitAt(q + shift); `count` of them are significant.
struct PlacedInteger {
  DecimalDigits digits;
  int shift = 0;
  int count = 0;

  int DigitAt(int place) const { return digits.DigitAt(place + shift); }
};

PlacedInteger Integer(double value) {
  PlacedInteger placed{DecimalDigits::Of(value), 0, 0};
  placed.count = placed.digits.integer_digits();
  return placed;
}

char DigitChar(int digit) { return static_cast<char>('0' + digit); }

// A placeholder with no digit to show: "0" shows a zero, "?" a space, "#"
// nothing.
void AppendPadding(char symbol, std::string& out) {
  if (symbol == '0') out += '0';
  if (symbol == '?') out += ' ';
}

// One right-aligned placeholder at `position` of `width`; the leftmost one
// also takes the digits that have no placeholder of their own.
void AppendRightAligned(const Token& token, const PlacedInteger& number,
                        int width, bool grouping, std::string& out) {
  const auto separator = [&](int place) {
    if (grouping && place > 0 && place % 3 == 0) out += ',';
  };
  const int position = token.position;
  if (position == width - 1) {
    for (int place = number.count - 1; place > position; --place) {
      out += DigitChar(number.DigitAt(place));
      separator(place);
    }
  }
  if (position < number.count) {
    out += DigitChar(number.DigitAt(position));
    separator(position);
  } else {
    AppendPadding(token.symbol, out);
    if (token.symbol == '0') separator(position);
  }
}

// A decimal placeholder: trailing zeros show only under "0" ("?" gives a
// space, "#" nothing). `shown` counts the decimals up to the last non-zero.
void AppendDecimal(const Token& token, int digit, int shown, std::string& out) {
  if (token.position <= shown) {
    out += DigitChar(digit);
  } else {
    AppendPadding(token.symbol, out);
  }
}

double Scaled(const Section& section, double magnitude) {
  for (int i = 0; i < section.percent; ++i) magnitude *= 100.0;
  for (int i = 0; i < section.thousands_scaling; ++i) magnitude /= 1000.0;
  return magnitude;
}

bool AppendPlain(const Section& section, double magnitude, int general_width,
                 std::string& out, RenderResult& result) {
  const double value = Scaled(section, magnitude);
  const DecimalDigits digits =
      DecimalDigits::Of(value).RoundedAtPlace(-section.decimal_digits);
  PlacedInteger integer{digits, 0, digits.integer_digits()};
  const int shown = digits.is_zero() ? 0 : std::max(0, -digits.last_place());
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::kDigit:
        if (token.role == DigitRole::kInteger) {
          AppendRightAligned(token, integer, section.integer_digits,
                             section.grouping, out);
        } else {
          AppendDecimal(token, digits.DigitAt(-token.position), shown, out);
        }
        break;
      case TokenKind::kDecimalPoint:
        if (section.integer_digits == 0) {  // ".00": the integer digits go here
          for (int place = integer.count - 1; place >= 0; --place) {
            out += DigitChar(integer.DigitAt(place));
          }
        }
        out += '.';
        break;
      case TokenKind::kGeneral:
        if (!AppendGeneralNumber(value, general_width, out)) return false;
        break;
      default:
        AppendLiteral(section, token, out, result);
        break;
    }
  }
  return true;
}

int FloorDivide(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

bool AppendScientific(const Section& section, double magnitude,
                      std::string& out, RenderResult& result) {
  const DecimalDigits digits = DecimalDigits::Of(Scaled(section, magnitude));
  const int width = std::max(1, section.integer_digits);
  // The exponent puts `width` digits before the point, or for "##0.0E+0"
  // a multiple of the placeholders.
  const auto exponent_for = [&](int first_place) {
    return section.engineering ? FloorDivide(first_place, width) * width
                               : first_place - (width - 1);
  };
  int exponent = 0;
  DecimalDigits rounded = digits;
  if (!digits.is_zero()) {
    exponent = exponent_for(digits.exponent());
    rounded = digits.RoundedAtPlace(exponent - section.decimal_digits);
    if (rounded.exponent() != digits.exponent()) {  // 9.99 became 10.0
      exponent = exponent_for(rounded.exponent());
      rounded = rounded.RoundedAtPlace(exponent - section.decimal_digits);
    }
  }
  PlacedInteger mantissa{
      rounded, exponent,
      rounded.is_zero() ? 0 : rounded.exponent() - exponent + 1};
  const int shown =
      rounded.is_zero() ? 0 : std::max(0, exponent - rounded.last_place());
  const PlacedInteger exponent_digits = Integer(std::abs(exponent));
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::kDigit:
        if (token.role == DigitRole::kInteger) {
          AppendRightAligned(token, mantissa, section.integer_digits,
                             section.grouping, out);
        } else if (token.role == DigitRole::kDecimal) {
          AppendDecimal(token, rounded.DigitAt(exponent - token.position),
                        shown, out);
        } else {
          AppendRightAligned(token, exponent_digits, section.exponent_digits,
                             false, out);
        }
        break;
      case TokenKind::kDecimalPoint:
        out += '.';
        break;
      case TokenKind::kExponent:
        out += token.symbol;
        if (exponent < 0) {
          out += '-';
        } else if (token.plus) {
          out += '+';
        }
        break;
      default:
        AppendLiteral(section, token, out, result);
        break;
    }
  }
  return true;
}

// The fraction nearest to `value` whose denominator is at most `limit`,
// from the continued fraction of `value` and its last semiconvergent. The
// numerators are kept as doubles: those of a number beyond the 15 digits a
// spreadsheet keeps are that number, whole, however far it goes.
void NearestFraction(double value, std::int64_t limit, double& numerator,
                     std::int64_t& denominator) {
  double p0 = 0, p1 = 1;
  std::int64_t q0 = 1, q1 = 0;
  double rest = value;
  for (int step = 0; step < 64; ++step) {
    const double whole = std::floor(rest);
    if (whole > 1e15) break;
    const auto a = static_cast<std::int64_t>(whole);
    const std::int64_t q2 = q0 + a * q1;
    if (q2 > limit) break;
    const double p2 = p0 + whole * p1;
    p0 = p1;
    q0 = q1;
    p1 = p2;
    q1 = q2;
    const double remainder = rest - whole;
    if (remainder < 1e-12) break;
    rest = 1.0 / remainder;
  }
  if (q1 == 0) {  // beyond every step: the number itself over 1
    numerator = std::round(value);
    denominator = 1;
    return;
  }
  const std::int64_t k = (limit - q0) / q1;
  const double bound_p = p0 + static_cast<double>(k) * p1;
  const std::int64_t bound_q = q0 + k * q1;
  const double error1 = std::fabs(value - p1 / static_cast<double>(q1));
  const double error2 =
      std::fabs(value - bound_p / static_cast<double>(bound_q));
  if (bound_q > 0 && error2 < error1) {
    numerator = bound_p;
    denominator = bound_q;
  } else {
    numerator = p1;
    denominator = q1;
  }
}

// The numerator `part` * `denominator` as placed digits, also where the
// product is beyond the doubles (1e308 over 2): then its digits are those
// of a product scaled down, placed that much higher.
PlacedInteger Numerator(double part, std::int64_t denominator) {
  const double numerator = std::round(part * static_cast<double>(denominator));
  if (std::isfinite(numerator)) return Integer(numerator);
  constexpr int kScale = 20;
  PlacedInteger placed =
      Integer(std::round(part * 1e-20 * static_cast<double>(denominator)));
  placed.shift = -kScale;
  placed.count += kScale;
  return placed;
}

bool AppendFraction(const Section& section, double magnitude, std::string& out,
                    RenderResult& result) {
  const double value = Scaled(section, magnitude);
  const bool has_integer = section.integer_digits > 0;
  double whole = has_integer ? std::floor(value) : 0.0;
  const double part = value - whole;
  std::int64_t denominator = section.fixed_denominator;
  double numerator = 0;
  PlacedInteger top;
  if (denominator > 0) {
    numerator = std::round(part * static_cast<double>(denominator));
    top = Numerator(part, denominator);
  } else {
    std::int64_t limit = 1;
    for (int i = 0; i < std::min(section.denominator_width, 9); ++i) {
      limit *= 10;
    }
    NearestFraction(part, limit - 1, numerator, denominator);
    top = Integer(numerator);
  }
  if (has_integer && numerator == static_cast<double>(denominator)) {
    whole += 1;
    numerator = 0;
    top = Integer(0);
  }
  PlacedInteger integer = Integer(whole);
  // Zero shows one "0" even under "#"; a whole number blanks the fraction.
  const bool zero = whole == 0 && numerator == 0;
  const bool blank = has_integer && numerator == 0;
  const std::string bottom = std::to_string(denominator);
  bool in_fraction = false;
  for (const Token& token : section.tokens) {
    if (token.kind == TokenKind::kDigit &&
        token.role == DigitRole::kNumerator) {
      in_fraction = true;
    }
    if (blank && in_fraction) {
      if (token.kind == TokenKind::kLiteral) {
        out.append(token.length, ' ');
      } else if (token.kind != TokenKind::kFill) {
        out += ' ';
      }
      if (token.kind == TokenKind::kDigit &&
          token.role == DigitRole::kDenominator &&
          token.position == section.denominator_width - 1) {
        in_fraction = false;
      }
      continue;
    }
    if (token.kind != TokenKind::kDigit) {
      if (token.kind == TokenKind::kSlash) {
        out += '/';
      } else {
        AppendLiteral(section, token, out, result);
      }
      continue;
    }
    switch (token.role) {
      case DigitRole::kInteger:
        if (zero && token.position == 0) {
          out += '0';
        } else {
          AppendRightAligned(token, integer, section.integer_digits,
                             section.grouping, out);
        }
        break;
      case DigitRole::kNumerator:
        AppendRightAligned(token, top, section.numerator_digits, false, out);
        break;
      default:  // the denominator, left-aligned
        if (section.fixed_denominator > 0) {
          out += token.symbol;
        } else if (token.position < static_cast<int>(bottom.size())) {
          out += bottom[token.position];
          if (token.position == section.denominator_width - 1) {
            out.append(bottom, token.position + 1);
          }
        } else {
          AppendPadding(token.symbol == '0' ? '?' : token.symbol, out);
        }
        break;
    }
  }
  return true;
}

}  // namespace

void AppendLiteral(const Section& section, const Token& token, std::string& out,
                   RenderResult& result) {
  if (token.kind == TokenKind::kLiteral) {
    out.append(section.literals, token.begin, token.length);
  } else if (token.kind == TokenKind::kFill &&
             result.fill_at == RenderResult::kNoFill) {
    result.fill_at = out.size();
    result.fill =
        std::string_view(section.literals).substr(token.begin, token.length);
  }
}

bool AppendNumberSection(const Section& section, double magnitude,
                         int general_width, std::string& out,
                         RenderResult& result) {
  switch (section.kind) {
    case SectionKind::kScientific:
      return AppendScientific(section, magnitude, out, result);
    case SectionKind::kFraction:
      return AppendFraction(section, magnitude, out, result);
    default:
      return AppendPlain(section, magnitude, general_width, out, result);
  }
}

}  // namespace kestrilo::format_internal
