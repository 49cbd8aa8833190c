// SPDX-License-Identifier: MIT

#include "engine/display/format_parser.h"

#include <cstdlib>
#include <string>

#include "engine/display/display_width.h"
#include "engine/display/format_palette.h"
#include "engine/text/ascii_text.h"

namespace kestrilo::format_internal {

namespace {

constexpr std::size_t kMaxSections = 4;

// A piece of a section before its meaning in the whole is known.
struct Raw {
  enum class Kind {
    kLiteral,
    kFill,
    kText,
    kGeneral,
    kPlaceholder,  // 0 # ?
    kDigitChar,    // 1 to 9
    kPoint,
    kComma,
    kPercent,
    kExponent,
    kSlash,
    kDateLetters,  // a run of one of y m d h s e
    kElapsed,      // [h] [mm] [ss] ...
    kAmPm,
    kAP,
  };
  explicit Raw(Kind raw_kind) : kind(raw_kind) {}

  Kind kind;
  char symbol = 0;  // the placeholder, the (lower-case) date letter, 'E'/'e'
  int count = 1;    // the length of a run of date letters or an elapsed part
  bool plus = false;
  // A literal's or fill's text; for the others, as the code writes them.
  std::string text;
};

// The bytes of the UTF-8 character starting at `at` (1 for a stray byte).
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead >= 0xF0   ? 4
                       : lead >= 0xE0 ? 3
                       : lead >= 0xC0 ? 2
                                      : 1;
  if (at + length > text.size()) length = text.size() - at;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return i;
  }
  return length;
}

std::vector<std::string_view> SplitSections(std::string_view code) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (quoted) {
      quoted = c != '"';
    } else if (c == '"') {
      quoted = true;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;  // the next character is taken as it is
    } else if (c == '[') {
      const std::size_t close = code.find(']', i);
      if (close != std::string_view::npos) i = close;
    } else if (c == ';') {
      sections.push_back(code.substr(start, i - start));
      start = i + 1;
      if (sections.size() == kMaxSections) return sections;
    }
  }
  sections.push_back(code.substr(start));
  return sections;
}

bool ParseCondition(std::string_view inner, Condition& condition) {
  using Op = Condition::Op;
  static constexpr struct {
    std::string_view text;
    Op op;
  } kOps[] = {{"<=", Op::kLessEqual}, {">=", Op::kGreaterEqual},
              {"<>", Op::kNotEqual},  {"<", Op::kLess},
              {">", Op::kGreater},    {"=", Op::kEqual}};
  for (const auto& [text, op] : kOps) {
    if (inner.substr(0, text.size()) != text) continue;
    const std::string number(inner.substr(text.size()));
    char* end = nullptr;
    const double limit = std::strtod(number.c_str(), &end);
    if (end == number.c_str()) return false;
    condition = {op, limit};
    return true;
  }
  return false;
}

class SectionLexer {
 public:
  SectionLexer(std::string_view text, Section& section)
      : text_(text), section_(section) {}

  std::vector<Raw> Lex() {
    while (at_ < text_.size()) Next();
    return std::move(raws_);
  }

 private:
  void Literal(std::string_view text) {
    if (!raws_.empty() && raws_.back().kind == Raw::Kind::kLiteral) {
      raws_.back().text += text;
    } else {
      Raw raw(Raw::Kind::kLiteral);
      raw.text = text;
      raws_.push_back(std::move(raw));
    }
  }

  // A piece ending at `at_`, keeping the code's text of it.
  Raw& Add(Raw::Kind kind, char symbol = 0, int count = 1) {
    Raw raw(kind);
    raw.symbol = symbol;
    raw.count = count;
    raw.text = text_.substr(start_, at_ - start_);
    raws_.push_back(std::move(raw));
    return raws_.back();
  }

  // The character after `at_` taken as it is (for \x, _x, *x).
  std::string_view FollowingCharacter() {
    if (at_ >= text_.size()) return {};
    const std::size_t length = CharacterLength(text_, at_);
    const std::string_view character = text_.substr(at_, length);
    at_ += length;
    return character;
  }

  void Next() {
    start_ = at_;
    const char c = text_[at_++];
    switch (c) {
      case '"': {
        std::size_t close = text_.find('"', at_);
        if (close == std::string_view::npos) close = text_.size();
        Literal(text_.substr(at_, close - at_));
        at_ = close + 1;
        return;
      }
      case '\\':
        Literal(FollowingCharacter());
        return;
      case '_':
        // The width of the next character as blank: one space here.
        if (!FollowingCharacter().empty()) Literal(" ");
        return;
      case '*': {
        Raw raw(Raw::Kind::kFill);
        raw.text = FollowingCharacter();
        if (!raw.text.empty()) raws_.push_back(std::move(raw));
        return;
      }
      case '[':
        Bracket();
        return;
      case '@':
        Add(Raw::Kind::kText);
        return;
      case '0':
      case '#':
      case '?':
        Add(Raw::Kind::kPlaceholder, c);
        return;
      case '.':
        Add(Raw::Kind::kPoint);
        return;
      case ',':
        Add(Raw::Kind::kComma);
        return;
      case '%':
        Add(Raw::Kind::kPercent);
        return;
      case '/':
        Add(Raw::Kind::kSlash);
        return;
      default:
        break;
    }
    if (c >= '1' && c <= '9') {
      Add(Raw::Kind::kDigitChar, c);
      return;
    }
    if ((c == 'E' || c == 'e') && at_ < text_.size() &&
        (text_[at_] == '+' || text_[at_] == '-')) {
      const bool plus = text_[at_++] == '+';
      Add(Raw::Kind::kExponent, c).plus = plus;
      return;
    }
    if (Letters(c)) return;
    --at_;
    Literal(text_.substr(at_, CharacterLength(text_, at_)));
    at_ += CharacterLength(text_, at_);
  }

  // Words and date letters; false for a character shown as it is.
  bool Letters(char c) {
    const std::size_t start = at_ - 1;
    if (StartsWithIgnoringAsciiCase(text_.substr(start), "general")) {
      at_ = start + 7;
      Add(Raw::Kind::kGeneral);
      return true;
    }
    if (StartsWithIgnoringAsciiCase(text_.substr(start), "am/pm")) {
      at_ = start + 5;
      Add(Raw::Kind::kAmPm, c);
      return true;
    }
    if (StartsWithIgnoringAsciiCase(text_.substr(start), "a/p")) {
      at_ = start + 3;
      Add(Raw::Kind::kAP, c);
      return true;
    }
    const char lower = AsciiLower(c);
    if (std::string_view("ymdhse").find(lower) == std::string_view::npos) {
      return false;
    }
    int count = 1;
    while (at_ < text_.size() && AsciiLower(text_[at_]) == lower) {
      ++at_;
      ++count;
    }
    Add(Raw::Kind::kDateLetters, lower, count);
    return true;
  }

  void Bracket() {
    const std::size_t close = text_.find(']', at_);
    if (close == std::string_view::npos) {
      Literal(text_.substr(at_ - 1));
      at_ = text_.size();
      return;
    }
    const std::string_view inner = text_.substr(at_, close - at_);
    at_ = close + 1;
    if (inner.empty()) return;
    if (inner[0] == '$') {
      // [$€-407]: a currency symbol, then a locale that changes nothing here.
      Literal(inner.substr(1, inner.find('-') - 1));
      return;
    }
    if (ParseCondition(inner, section_.condition)) return;
    const char first = AsciiLower(inner[0]);
    if (first == 'h' || first == 'm' || first == 's') {
      bool same = true;
      for (const char c : inner) same = same && AsciiLower(c) == first;
      if (same) {
        Add(Raw::Kind::kElapsed, first, static_cast<int>(inner.size()));
        return;
      }
    }
    if (const std::uint32_t color = FormatColorNamed(inner)) {
      section_.color = color;
    }
    // Anything else ([DBNum1], [NatNum1], calendars ...) changes no digit
    // we show.
  }

  std::string_view text_;
  Section& section_;
  std::size_t at_ = 0;
  std::size_t start_ = 0;
  std::vector<Raw> raws_;
};

bool IsDateRaw(const Raw& raw) {
  return raw.kind == Raw::Kind::kDateLetters ||
         raw.kind == Raw::Kind::kElapsed || raw.kind == Raw::Kind::kAmPm ||
         raw.kind == Raw::Kind::kAP;
}

// Appends the tokens of a section to it, merging neighbouring literals.
class TokenWriter {
 public:
  explicit TokenWriter(Section& section) : section_(section) {}

  void Literal(std::string_view text) {
    if (text.empty()) return;
    section_.literal_width += CharacterCount(text);
    if (!section_.tokens.empty() &&
        section_.tokens.back().kind == TokenKind::kLiteral &&
        section_.tokens.back().begin + section_.tokens.back().length ==
            section_.literals.size()) {
      section_.tokens.back().length += static_cast<std::uint32_t>(text.size());
    } else {
      Token token;
      token.kind = TokenKind::kLiteral;
      token.begin = static_cast<std::uint32_t>(section_.literals.size());
      token.length = static_cast<std::uint32_t>(text.size());
      section_.tokens.push_back(token);
    }
    section_.literals += text;
  }

  void Fill(std::string_view text) {
    Token token;
    token.kind = TokenKind::kFill;
    token.begin = static_cast<std::uint32_t>(section_.literals.size());
    token.length = static_cast<std::uint32_t>(text.size());
    section_.literals += text;
    section_.tokens.push_back(token);
  }

  void Add(TokenKind kind, char symbol = 0, int position = 0,
           DigitRole role = DigitRole::kInteger) {
    Token token;
    token.kind = kind;
    token.symbol = symbol;
    token.role = role;
    token.position = static_cast<std::uint16_t>(position);
    section_.tokens.push_back(token);
  }

  // Pieces every kind of section shows alike; false for the others.
  bool Common(const Raw& raw) {
    switch (raw.kind) {
      case Raw::Kind::kLiteral:
        Literal(raw.text);
        return true;
      case Raw::Kind::kFill:
        Fill(raw.text);
        return true;
      default:
        return false;
    }
  }

  // A piece that means nothing in this kind of section, shown as written.
  void AsWritten(const Raw& raw) { Literal(raw.text); }

 private:
  Section& section_;
};

// --- Dates and times -------------------------------------------------------

// "m" and "mm" are minutes right after hours or right before seconds
// (literals between do not count), months otherwise.
bool IsMinute(const std::vector<Raw>& raws, std::size_t index) {
  for (std::size_t i = index; i-- > 0;) {
    if (!IsDateRaw(raws[i])) continue;
    if (raws[i].symbol == 'h') return true;
    break;
  }
  for (std::size_t i = index + 1; i < raws.size(); ++i) {
    if (IsDateRaw(raws[i])) return raws[i].symbol == 's';
  }
  return false;
}

TokenKind DateToken(const std::vector<Raw>& raws, std::size_t index) {
  const Raw& raw = raws[index];
  const int n = raw.count;
  switch (raw.symbol) {
    case 'y':
      return n <= 2 ? TokenKind::kYear2 : TokenKind::kYear4;
    case 'e':
      return TokenKind::kYear4;
    case 'd':
      return n == 1   ? TokenKind::kDay
             : n == 2 ? TokenKind::kDay2
             : n == 3 ? TokenKind::kDayAbbreviation
                      : TokenKind::kDayName;
    case 'h':
      return n == 1 ? TokenKind::kHour : TokenKind::kHour2;
    case 's':
      return n == 1 ? TokenKind::kSecond : TokenKind::kSecond2;
    default:
      break;
  }
  if (n <= 2 && IsMinute(raws, index)) {
    return n == 1 ? TokenKind::kMinute : TokenKind::kMinute2;
  }
  return n == 1   ? TokenKind::kMonth
         : n == 2 ? TokenKind::kMonth2
         : n == 3 ? TokenKind::kMonthAbbreviation
         : n == 5 ? TokenKind::kMonthLetter
                  : TokenKind::kMonthName;
}

void BuildDateSection(const std::vector<Raw>& raws, Section& section) {
  section.kind = SectionKind::kDateTime;
  TokenWriter writer(section);
  for (std::size_t i = 0; i < raws.size(); ++i) {
    const Raw& raw = raws[i];
    if (writer.Common(raw)) continue;
    switch (raw.kind) {
      case Raw::Kind::kDateLetters:
        writer.Add(DateToken(raws, i));
        break;
      case Raw::Kind::kElapsed:
        section.elapsed = true;
        writer.Add(raw.symbol == 'h'   ? TokenKind::kElapsedHours
                   : raw.symbol == 'm' ? TokenKind::kElapsedMinutes
                                       : TokenKind::kElapsedSeconds,
                   0, raw.count);
        break;
      case Raw::Kind::kAmPm:
      case Raw::Kind::kAP:
        section.twelve_hour = true;
        writer.Add(
            raw.kind == Raw::Kind::kAmPm ? TokenKind::kAmPm : TokenKind::kAP,
            raw.symbol);
        break;
      case Raw::Kind::kPoint: {
        // ".00" after seconds: hundredths of a second.
        int zeros = 0;
        while (i + 1 + zeros < raws.size() &&
               raws[i + 1 + zeros].kind == Raw::Kind::kPlaceholder &&
               raws[i + 1 + zeros].symbol == '0') {
          ++zeros;
        }
        if (zeros == 0) {
          writer.Literal(".");
          break;
        }
        zeros = std::min(zeros, 3);  // thousandths at most, as in Excel
        section.subsecond_digits = std::max(section.subsecond_digits, zeros);
        writer.Add(TokenKind::kSubSecond, 0, zeros);
        i += zeros;
        break;
      }
      default:
        writer.AsWritten(raw);
        break;
    }
  }
}

// --- Numbers ---------------------------------------------------------------

// The parts of a number section: where the mantissa ends (the exponent),
// the decimal point, and for a fraction its slash and numerator.
struct NumberLayout {
  std::size_t exponent = std::string::npos;
  std::size_t point = std::string::npos;
  std::size_t slash = std::string::npos;
  std::size_t numerator_start = std::string::npos;
  std::size_t denominator_end = std::string::npos;
};

bool IsPlaceholder(const std::vector<Raw>& raws, std::size_t i) {
  return i < raws.size() && raws[i].kind == Raw::Kind::kPlaceholder;
}

NumberLayout LayOut(const std::vector<Raw>& raws) {
  NumberLayout layout;
  bool digits_before = false;
  for (std::size_t i = 0; i < raws.size(); ++i) {
    if (raws[i].kind == Raw::Kind::kPlaceholder) digits_before = true;
    if (raws[i].kind == Raw::Kind::kExponent && digits_before) {
      for (std::size_t j = i + 1; j < raws.size(); ++j) {
        if (IsPlaceholder(raws, j)) {
          layout.exponent = i;
          break;
        }
      }
      break;
    }
  }
  for (std::size_t i = 1;
       i + 1 < raws.size() && layout.exponent == std::string::npos; ++i) {
    if (raws[i].kind != Raw::Kind::kSlash || !IsPlaceholder(raws, i - 1)) {
      continue;
    }
    const Raw& next = raws[i + 1];
    if (next.kind != Raw::Kind::kPlaceholder &&
        next.kind != Raw::Kind::kDigitChar) {
      continue;
    }
    layout.slash = i;
    layout.numerator_start = i;
    while (IsPlaceholder(raws, layout.numerator_start - 1)) {
      --layout.numerator_start;
      if (layout.numerator_start == 0) break;
    }
    std::size_t end = i + 1;
    while (end < raws.size() && raws[end].kind == next.kind) ++end;
    layout.denominator_end = end;
    return layout;
  }
  const std::size_t mantissa_end =
      layout.exponent == std::string::npos ? raws.size() : layout.exponent;
  for (std::size_t i = 0; i < mantissa_end; ++i) {
    if (raws[i].kind == Raw::Kind::kPoint) {
      layout.point = i;
      break;
    }
  }
  return layout;
}

class NumberSectionBuilder {
 public:
  NumberSectionBuilder(const std::vector<Raw>& raws, Section& section)
      : raws_(raws),
        section_(section),
        writer_(section),
        layout_(LayOut(raws)) {}

  void Build() {
    if (layout_.exponent != std::string::npos) {
      section_.kind = SectionKind::kScientific;
    } else if (layout_.slash != std::string::npos) {
      section_.kind = SectionKind::kFraction;
    }
    CountDigits();
    for (std::size_t i = 0; i < raws_.size(); ++i) Write(i);
  }

 private:
  DigitRole RoleAt(std::size_t i) const {
    if (i > layout_.exponent) return DigitRole::kExponent;
    if (layout_.slash != std::string::npos) {
      if (i > layout_.slash) return DigitRole::kDenominator;
      if (i >= layout_.numerator_start) return DigitRole::kNumerator;
      return DigitRole::kInteger;
    }
    if (layout_.point != std::string::npos && i > layout_.point) {
      return DigitRole::kDecimal;
    }
    return DigitRole::kInteger;
  }

  void CountDigits() {
    for (std::size_t i = 0; i < raws_.size(); ++i) {
      if (raws_[i].kind != Raw::Kind::kPlaceholder) continue;
      switch (RoleAt(i)) {
        case DigitRole::kInteger:
          ++section_.integer_digits;
          if (raws_[i].symbol != '0') section_.engineering = true;
          break;
        case DigitRole::kDecimal:
          ++section_.decimal_digits;
          break;
        case DigitRole::kExponent:
          ++section_.exponent_digits;
          break;
        case DigitRole::kNumerator:
          ++section_.numerator_digits;
          break;
        case DigitRole::kDenominator:
          ++section_.denominator_width;
          break;
      }
    }
    section_.engineering = section_.engineering &&
                           section_.integer_digits > 1 &&
                           section_.kind == SectionKind::kScientific;
    if (layout_.slash != std::string::npos &&
        raws_[layout_.slash + 1].kind == Raw::Kind::kDigitChar) {
      long denominator = 0;
      for (std::size_t i = layout_.slash + 1; i < layout_.denominator_end;
           ++i) {
        if (denominator < 100000000) {
          denominator = denominator * 10 + (raws_[i].symbol - '0');
        }
      }
      section_.fixed_denominator = static_cast<int>(denominator);
      section_.denominator_width =
          static_cast<int>(layout_.denominator_end - layout_.slash - 1);
    }
  }

  // Where a comma stands: between integer digits it groups thousands;
  // right after the digits (before the point or at the end) it scales.
  void Comma(std::size_t i) {
    std::size_t before = i;
    while (before > 0 && raws_[before - 1].kind == Raw::Kind::kComma) --before;
    const bool after_digit = IsPlaceholder(raws_, before - 1) && before > 0;
    std::size_t after = i + 1;
    while (after < raws_.size() && raws_[after].kind == Raw::Kind::kComma) {
      ++after;
    }
    const bool integer_follows = IsPlaceholder(raws_, after) &&
                                 RoleAt(after) == DigitRole::kInteger &&
                                 RoleAt(i) == DigitRole::kInteger;
    const bool in_fraction =
        layout_.slash != std::string::npos && i >= layout_.numerator_start;
    if (after_digit && integer_follows && !in_fraction) {
      section_.grouping = true;
    } else if (after_digit && !in_fraction && i < layout_.exponent) {
      ++section_.thousands_scaling;
    } else {
      writer_.Literal(",");
    }
  }

  void Write(std::size_t i) {
    const Raw& raw = raws_[i];
    if (writer_.Common(raw)) return;
    switch (raw.kind) {
      case Raw::Kind::kPlaceholder:
        Placeholder(i);
        return;
      case Raw::Kind::kDigitChar:
        if (section_.fixed_denominator > 0 && i > layout_.slash &&
            i < layout_.denominator_end) {
          writer_.Add(TokenKind::kDigit, raw.symbol,
                      static_cast<int>(i - layout_.slash - 1),
                      DigitRole::kDenominator);
        } else {
          writer_.AsWritten(raw);
        }
        return;
      case Raw::Kind::kPoint:
        if (i == layout_.point) {
          writer_.Add(TokenKind::kDecimalPoint);
        } else {
          writer_.Literal(".");
        }
        return;
      case Raw::Kind::kComma:
        Comma(i);
        return;
      case Raw::Kind::kPercent:
        ++section_.percent;
        writer_.Literal("%");
        return;
      case Raw::Kind::kExponent:
        if (i == layout_.exponent) {
          Token& token = AddToken(TokenKind::kExponent, raw.symbol);
          token.plus = raw.plus;
        } else {
          writer_.AsWritten(raw);
        }
        return;
      case Raw::Kind::kSlash:
        if (i == layout_.slash) {
          writer_.Add(TokenKind::kSlash);
        } else {
          writer_.Literal("/");
        }
        return;
      case Raw::Kind::kGeneral:
        section_.has_general = true;
        writer_.Add(TokenKind::kGeneral);
        return;
      default:
        writer_.AsWritten(raw);
        return;
    }
  }

  Token& AddToken(TokenKind kind, char symbol) {
    writer_.Add(kind, symbol);
    return section_.tokens.back();
  }

  void Placeholder(std::size_t i) {
    const DigitRole role = RoleAt(i);
    int position = 0;
    switch (role) {
      case DigitRole::kInteger:
        position = section_.integer_digits - 1 - integers_seen_++;
        break;
      case DigitRole::kDecimal:
        position = ++decimals_seen_;
        break;
      case DigitRole::kExponent:
        position = section_.exponent_digits - 1 - exponents_seen_++;
        break;
      case DigitRole::kNumerator:
        position = section_.numerator_digits - 1 - numerators_seen_++;
        break;
      case DigitRole::kDenominator:
        position = denominators_seen_++;
        break;
    }
    writer_.Add(TokenKind::kDigit, raws_[i].symbol, position, role);
  }

  const std::vector<Raw>& raws_;
  Section& section_;
  TokenWriter writer_;
  NumberLayout layout_;
  int integers_seen_ = 0;
  int decimals_seen_ = 0;
  int exponents_seen_ = 0;
  int numerators_seen_ = 0;
  int denominators_seen_ = 0;
};

void BuildTextSection(const std::vector<Raw>& raws, Section& section) {
  section.kind = SectionKind::kText;
  TokenWriter writer(section);
  for (const Raw& raw : raws) {
    if (writer.Common(raw)) continue;
    if (raw.kind == Raw::Kind::kText) {
      writer.Add(TokenKind::kText);
    } else {
      writer.AsWritten(raw);
    }
  }
}

Section ParseSection(std::string_view text) {
  Section section;
  const std::vector<Raw> raws = SectionLexer(text, section).Lex();
  bool has_text = false;
  bool has_date = false;
  for (const Raw& raw : raws) {
    has_text = has_text || raw.kind == Raw::Kind::kText;
    has_date = has_date || IsDateRaw(raw);
  }
  if (has_text) {
    BuildTextSection(raws, section);
  } else if (has_date) {
    BuildDateSection(raws, section);
  } else {
    NumberSectionBuilder(raws, section).Build();
  }
  return section;
}

}  // namespace

bool Condition::Holds(double value) const {
  switch (op) {
    case Op::kNone:
      return true;
    case Op::kLess:
      return value < limit;
    case Op::kLessEqual:
      return value <= limit;
    case Op::kGreater:
      return value > limit;
    case Op::kGreaterEqual:
      return value >= limit;
    case Op::kEqual:
      return value == limit;
    case Op::kNotEqual:
      return value != limit;
  }
  return true;
}

std::vector<Section> ParseSections(std::string_view code) {
  std::vector<Section> sections;
  for (const std::string_view text : SplitSections(code)) {
    sections.push_back(ParseSection(text));
  }
  return sections;
}

}  // namespace kestrilo::format_internal
