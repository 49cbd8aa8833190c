// SPDX-License-Identifier: MIT

#include "engine/display/compiled_format.h"

#include <cmath>

#include "engine/display/format_parser.h"
#include "engine/display/format_section.h"
#include "engine/display/section_renderers.h"

namespace kestrilo {

using format_internal::Condition;
using format_internal::DateBasis;
using format_internal::Section;
using format_internal::SectionKind;
using format_internal::TokenKind;

namespace {

constexpr std::string_view kOverflowText = "###";

bool IsPlainGeneral(const Section& section) {
  return section.has_general && section.tokens.size() == 1;
}

// How a date-time shows under General: as the model's own text of it.
const CompiledFormat& DefaultDateFormat(const CellValue& value) {
  static const CompiledFormat date("yyyy-mm-dd");
  static const CompiledFormat date_time("yyyy-mm-dd hh:mm:ss");
  static const CompiledFormat time("hh:mm:ss");
  static const CompiledFormat duration("[hh]:mm:ss");
  if (value.time_only) {
    return value.number >= 0 && value.number < 1 ? time : duration;
  }
  return value.number == std::floor(value.number) ? date : date_time;
}

const Section& GeneralSection() {
  static const Section section =
      std::move(format_internal::ParseSections("General").front());
  return section;
}

// Whether the section of `condition` is for negative numbers, so that it
// shows them without their sign ("0;(0)", "[<0](0);0").
bool FirstIsForNegatives(const Condition& first) {
  using Op = Condition::Op;
  return first.limit == 0 &&
         (first.op == Op::kLess || first.op == Op::kLessEqual);
}

// The second section takes the negative numbers, and shows them without
// their sign, when no condition says otherwise ("0;(0)") or when it is what
// a first "[>=limit]" or "[>limit]" leaves ("[>=1000]0,\"K\";0").
bool SecondIsForNegatives(const Condition& first, const Condition& second) {
  using Op = Condition::Op;
  if (!second.present()) {
    return !first.present() || first.op == Op::kGreater ||
           first.op == Op::kGreaterEqual;
  }
  return second.limit == 0 &&
         (second.op == Op::kLess || second.op == Op::kLessEqual);
}

// Whether a section shows the number's digits: a minus sign goes only with
// them ("[<100]\"small\"" shows -5 as "small").
bool ShowsDigits(const Section& section) {
  return section.has_general || section.integer_digits > 0 ||
         section.decimal_digits > 0 || section.numerator_digits > 0 ||
         section.kind == SectionKind::kFraction;
}

}  // namespace

CompiledFormat::CompiledFormat() : CompiledFormat("General") {}

CompiledFormat::CompiledFormat(std::string_view code) : code_(code) {
  if (code.empty() || code.size() > kMaxCodeLength) code = "General";
  sections_ = format_internal::ParseSections(code);
  const int count = static_cast<int>(sections_.size());
  if (count == 4 || sections_.back().kind == SectionKind::kText) {
    text_section_ = count - 1;
  }
  number_sections_ = text_section_ >= 0 ? count - 1 : count;
  const Section& first = sections_.front();
  general_ = count == 1 && IsPlainGeneral(first) && first.color == 0 &&
             !first.condition.present();
}

CompiledFormat::CompiledFormat(CompiledFormat&&) noexcept = default;
CompiledFormat& CompiledFormat::operator=(CompiledFormat&&) noexcept = default;
CompiledFormat::~CompiledFormat() = default;

bool CompiledFormat::shows_date_time() const {
  return number_sections_ > 0 &&
         sections_.front().kind == SectionKind::kDateTime;
}

// Sections by sign: one for all numbers (a minus sign in front of the
// negative ones); two: zero and above, below; three: above, below, zero.
// Conditions ("[<100]") replace the first two tests; a number that meets
// neither goes to the third section.
const Section* CompiledFormat::NumberSection(double number,
                                             bool& drop_sign) const {
  drop_sign = false;
  const int count = number_sections_;
  if (count == 0) return &GeneralSection();
  using Op = Condition::Op;
  const Condition& given_first = sections_[0].condition;
  const Condition given_second =
      count >= 2 ? sections_[1].condition : Condition{};
  if (count == 1 && !given_first.present()) return &sections_[0];
  const Condition first =
      given_first.present()
          ? given_first
          : Condition{count >= 3 ? Op::kGreater : Op::kGreaterEqual, 0.0};
  if (first.Holds(number)) {
    drop_sign = FirstIsForNegatives(first);
    return &sections_[0];
  }
  if (count >= 2) {
    const Condition second = given_second.present() || count < 3
                                 ? given_second
                                 : Condition{Op::kLess, 0.0};
    if (second.Holds(number)) {
      drop_sign = SecondIsForNegatives(given_first, given_second);
      return &sections_[1];
    }
  }
  if (count >= 3) return &sections_[2];
  return nullptr;
}

RenderResult CompiledFormat::Render(const CellValue& value, std::string& out,
                                    int width) const {
  out.clear();
  switch (value.kind) {
    case CellKind::kEmpty:
      return {};
    case CellKind::kBoolean:
      out = value.number != 0 ? "TRUE" : "FALSE";
      return {};
    case CellKind::kError:
      out = value.text;
      return {};
    case CellKind::kText:
      return RenderText(value.text, out);
    case CellKind::kNumber:
    case CellKind::kDateTime:
      break;
  }
  return RenderNumber(value, out, width);
}

std::string CompiledFormat::Text(const CellValue& value) const {
  std::string out;
  Render(value, out);
  return out;
}

RenderResult CompiledFormat::RenderText(std::string_view text,
                                        std::string& out) const {
  RenderResult result;
  if (text_section_ < 0) {
    out = text;
    return result;
  }
  const Section& section = sections_[text_section_];
  result.color = section.color;
  for (const auto& token : section.tokens) {
    if (token.kind == TokenKind::kText) {
      out += text;
    } else {
      format_internal::AppendLiteral(section, token, out, result);
    }
  }
  return result;
}

RenderResult CompiledFormat::RenderNumber(const CellValue& value,
                                          std::string& out, int width) const {
  const double number = value.number;
  RenderResult result;
  bool drop_sign = false;
  const Section* section =
      std::isfinite(number) ? NumberSection(number, drop_sign) : nullptr;
  if (section != nullptr && value.kind == CellKind::kDateTime &&
      IsPlainGeneral(*section)) {
    return DefaultDateFormat(value).Render(value, out, width);
  }
  bool shown = section != nullptr;
  if (shown) {
    result.color = section->color;
    if (section->kind == SectionKind::kDateTime) {
      const DateBasis basis =
          value.kind == CellKind::kDateTime && !value.time_only
              ? DateBasis::kSerialDay
              : DateBasis::kSpreadsheet;
      shown = format_internal::AppendDateSection(*section, number, basis, out,
                                                 result);
    } else {
      const bool minus = number < 0 && !drop_sign && ShowsDigits(*section);
      if (minus) out += '-';
      shown = format_internal::AppendNumberSection(
          *section, std::fabs(number),
          width - section->literal_width - (minus ? 1 : 0), out, result);
    }
  }
  if (!shown) {
    out = kOverflowText;
    result.overflow = true;
    result.fill_at = RenderResult::kNoFill;
  }
  return result;
}

}  // namespace kestrilo
