// SPDX-License-Identifier: MIT

#pragma once

// The compiled form of one section of a number format code, shared by the
// parser and the renderers of CompiledFormat. Not a public interface.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrilo::format_internal {

enum class TokenKind : std::uint8_t {
  kLiteral,       // text shown as it is (literals[begin, begin + length))
  kFill,          // "*x": x repeated to fill the cell (literals as above)
  kText,          // "@": the cell's text
  kGeneral,       // "General"
  kDigit,         // "0", "#" or "?", or a digit of a fixed denominator
  kDecimalPoint,  // "." of a number
  kExponent,      // "E+", "E-", "e+", "e-"
  kSlash,         // "/" of a fraction
  kYear2,
  kYear4,
  kMonth,
  kMonth2,
  kMonthAbbreviation,
  kMonthName,
  kMonthLetter,
  kDay,
  kDay2,
  kDayAbbreviation,
  kDayName,
  kHour,
  kHour2,
  kMinute,
  kMinute2,
  kSecond,
  kSecond2,
  kSubSecond,  // ".0", ".00", ".000" after seconds (width digits)
  kElapsedHours,
  kElapsedMinutes,
  kElapsedSeconds,
  kAmPm,  // "AM/PM"
  kAP,    // "A/P"
};

/// Where a digit placeholder belongs.
enum class DigitRole : std::uint8_t {
  kInteger,
  kDecimal,
  kExponent,
  kNumerator,
  kDenominator,
};

struct Token {
  TokenKind kind = TokenKind::kLiteral;
  DigitRole role = DigitRole::kInteger;
  // kDigit: '0', '#', '?' (or '1'-'9' in a fixed denominator); kExponent:
  // 'E' or 'e'; kAmPm / kAP: 'A' or 'a' for the letter case shown.
  char symbol = 0;
  // kExponent: whether "+" is shown for positive exponents.
  bool plus = false;
  // kDigit of kInteger, kExponent, kNumerator: places from the right (0 is
  // the units); of kDecimal: places after the point (1 is tenths); of
  // kDenominator: characters from the left. kSubSecond and elapsed tokens:
  // their width in digits.
  std::uint16_t position = 0;
  // kLiteral, kFill: bytes of Section::literals.
  std::uint32_t begin = 0;
  std::uint32_t length = 0;
};

enum class SectionKind : std::uint8_t {
  kNumber,      // digits with a decimal point, or literals alone
  kScientific,  // digits with an exponent
  kFraction,    // digits with a numerator and a denominator
  kDateTime,    // date and time parts
  kText,        // "@" and literals
};

/// "[<100]", "[>=0]" and so on.
struct Condition {
  enum class Op : std::uint8_t {
    kNone,
    kLess,
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kEqual,
    kNotEqual,
  };
  Op op = Op::kNone;
  double limit = 0.0;

  bool present() const { return op != Op::kNone; }
  bool Holds(double value) const;
};

struct Section {
  SectionKind kind = SectionKind::kNumber;
  std::vector<Token> tokens;
  std::string literals;
  /// 0xAARRGGBB from "[Red]", "[Color 10]" ...; 0 for none.
  std::uint32_t color = 0;
  Condition condition;

  // Numbers.
  int integer_digits = 0;
  int decimal_digits = 0;
  int exponent_digits = 0;
  int numerator_digits = 0;
  bool grouping = false;      // "#,##0"
  bool engineering = false;   // "##0.0E+0": exponents in steps of the
                              // integer placeholders
  int thousands_scaling = 0;  // "0," divides by 1000, "0,," by 1,000,000
  int percent = 0;            // each "%" multiplies by 100
  int fixed_denominator = 0;  // "# ??/16"
  int denominator_width = 0;  // characters of the denominator
  bool has_general = false;
  /// Characters shown besides the number, for fitting General to a width.
  int literal_width = 0;

  // Dates and times.
  bool twelve_hour = false;  // an AM/PM or A/P part
  bool elapsed = false;      // [h], [m] or [s]
  int subsecond_digits = 0;
};

}  // namespace kestrilo::format_internal
