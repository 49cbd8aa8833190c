// SPDX-License-Identifier: MIT

#include "engine/display/value_format.h"

#include "engine/display/builtin_formats.h"
#include "engine/display/number_format.h"
#include "engine/text/ascii_text.h"

namespace kestrilo {

namespace {

// The built-in format "[h]:mm:ss".
constexpr int kElapsedBuiltinFormat = 46;

// True for formats with elapsed-time brackets such as "[h]:mm:ss".
bool IsElapsedFormat(std::string_view code) {
  for (std::size_t open = code.find('['); open != std::string_view::npos;
       open = code.find('[', open + 1)) {
    if (open + 1 < code.size()) {
      const char c = AsciiLower(code[open + 1]);
      if (c == 'h' || c == 'm' || c == 's') return true;
    }
  }
  return false;
}

ValueFormat ToValueFormat(NumberFormatKind kind, bool elapsed) {
  switch (kind) {
    case NumberFormatKind::kNumber:
      return ValueFormat::kNumber;
    case NumberFormatKind::kDateTime:
      return ValueFormat::kDateTime;
    case NumberFormatKind::kTime:
      break;
  }
  return elapsed ? ValueFormat::kDuration : ValueFormat::kTimeOfDay;
}

}  // namespace

ValueFormat ValueFormatOfCode(std::string_view code) {
  return ToValueFormat(ClassifyFormatCode(code), IsElapsedFormat(code));
}

ValueFormat ValueFormatOfBuiltin(int id) {
  return ToValueFormat(ClassifyBuiltinFormat(id), id == kElapsedBuiltinFormat);
}

ValueFormat AddNumberFormat(int id, const std::string* custom,
                            StyleTable& table, CellStyle& style) {
  if (custom != nullptr) {
    style.format = table.AddFormat(*custom);
    return ValueFormatOfCode(*custom);
  }
  const std::string_view code = BuiltinFormatCode(id);
  style.format = code.empty() ? 0 : table.AddFormat(code);
  return ValueFormatOfBuiltin(id);
}

CellValue FormattedNumber(double number, ValueFormat format, bool date1904) {
  switch (format) {
    case ValueFormat::kNumber:
      return CellValue::Number(number);
    case ValueFormat::kDuration:
      // A count of days whatever the date system: no epoch correction.
      return CellValue::DateTime(number, true);
    case ValueFormat::kTimeOfDay:
      if (number >= 0 && number < 1) return CellValue::DateTime(number, true);
      break;  // a time format on a full date-time still holds that date
    case ValueFormat::kDateTime:
      break;
  }
  return CellValue::DateTime(NormalizeDateSerial(number, date1904), false);
}

}  // namespace kestrilo
