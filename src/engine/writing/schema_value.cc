// SPDX-License-Identifier: MIT

#include "engine/writing/schema_value.h"

#include <algorithm>
#include <cmath>

#include "engine/writing/cell_text.h"

namespace kestrilo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// "-0.5", "12", "1e+15" as the cell text gives them. A loop of its own:
// these few bytes are read for every number of a sheet.
SchemaType NumberType(std::string_view text) {
  SchemaType type = SchemaType::kInteger;
  for (const char c : text) {
    if (c == 'e') return SchemaType::kDouble;
    if (c == '.') type = SchemaType::kDecimal;
  }
  return type;
}

// "13:45:30": a time of day; "36:00:00" (a duration) or "-01:00:00" is none.
bool IsTimeOfDay(std::string_view text) {
  return text.size() == 8 && AllDigits(text.substr(0, 2)) &&
         text.substr(0, 2) < "24" && text[2] == ':' &&
         AllDigits(text.substr(3, 2)) && text[5] == ':' &&
         AllDigits(text.substr(6, 2));
}

// "2021-08-31", "-0017-06-18" or "10000-01-01", with a time after a space:
// a year of four digits or more, with a sign before one, never 0000 (the
// year XML Schema 1.0 has none of). A date beyond the calendar the cell text
// writes as a number, which is no date.
bool IsDate(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos || dash < 4) return false;
  const std::string_view year = text.substr(0, dash);
  return AllDigits(year) && year != "0000";
}

}  // namespace

SchemaType WiderSchemaType(SchemaType a, SchemaType b) {
  if (a == SchemaType::kNone || a == b) return b;
  if (b == SchemaType::kNone) return a;
  const auto numeric = [](SchemaType type) {
    return type == SchemaType::kInteger || type == SchemaType::kDecimal ||
           type == SchemaType::kDouble;
  };
  if (numeric(a) && numeric(b)) return std::max(a, b);
  return SchemaType::kString;
}

std::string_view SchemaTypeName(SchemaType type) {
  switch (type) {
    case SchemaType::kInteger:
      return "xs:integer";
    case SchemaType::kDecimal:
      return "xs:decimal";
    case SchemaType::kDouble:
      return "xs:double";
    case SchemaType::kBoolean:
      return "xs:boolean";
    case SchemaType::kDate:
      return "xs:date";
    case SchemaType::kDateTime:
      return "xs:dateTime";
    case SchemaType::kTime:
      return "xs:time";
    case SchemaType::kNone:
    case SchemaType::kString:
      break;
  }
  return "xs:string";
}

char* WriteSchemaValue(const CellValue& value, char* out, SchemaType& type) {
  // Numbers first: most values are.
  if (value.kind == CellKind::kNumber) {
    char* end = WriteCellText(value, out);
    type = std::isfinite(value.number)
               ? NumberType(std::string_view(out, end - out))
               : SchemaType::kString;
    return end;
  }
  switch (value.kind) {
    case CellKind::kEmpty:
    case CellKind::kError:
      type = SchemaType::kNone;
      return out;
    case CellKind::kText:
      type = SchemaType::kString;
      return out;
    case CellKind::kBoolean:
      type = SchemaType::kBoolean;
      return value.number != 0 ? std::copy_n("true", 4, out)
                               : std::copy_n("false", 5, out);
    case CellKind::kNumber:
    case CellKind::kDateTime:
      break;
  }
  char* end = WriteCellText(value, out);
  const std::string_view text(out, end - out);
  if (value.time_only) {
    type = IsTimeOfDay(text) ? SchemaType::kTime : SchemaType::kString;
    return end;
  }
  if (!IsDate(text)) {
    // A date no xs:date can hold: its serial, a number like any other.
    return WriteSchemaValue(CellValue::Number(value.number), out, type);
  }
  // The cell text parts a date from its time with a space.
  char* space = std::find(out, end, ' ');
  type = space == end ? SchemaType::kDate : SchemaType::kDateTime;
  if (space != end) *space = 'T';
  return end;
}

}  // namespace kestrilo
