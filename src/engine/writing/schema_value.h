// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/model/cell_value.h"
#include "engine/writing/cell_text.h"

namespace kestrilo {

/// The built-in XML Schema types that the records layout gives its values,
/// from the narrowest to xs:string, which holds every text.
enum class SchemaType : std::uint8_t {
  kNone,  ///< no value seen yet
  kInteger,
  kDecimal,
  kDouble,
  kBoolean,
  kDate,
  kDateTime,
  kTime,
  kString,
};

/// The type that holds the values of both: the wider of two numeric types,
/// the type itself, or xs:string for any other mix.
SchemaType WiderSchemaType(SchemaType a, SchemaType b);

/// The type's name in a schema, such as "xs:integer" ("xs:string" for
/// kNone: a column without values holds texts as well as anything).
std::string_view SchemaTypeName(SchemaType type);

/// The most bytes WriteSchemaValue writes.
inline constexpr std::size_t kMaxSchemaValueSize = kMaxCellTextSize;

/// Writes the form of a value that is not a text as XML Schema reads it, at
/// `out`, and returns its end; `type` becomes the narrowest type that holds
/// it. Numbers are written as everywhere (1.5, 10, 1e+15: xs:integer,
/// xs:decimal, xs:double by their form), booleans true / false, dates
/// 2021-08-31, date-times 2021-08-31T13:45:00, times 13:45:30; a year
/// before 1 or after 9999 as XML Schema writes it (-0017-06-18,
/// 10000-01-01), and a date it cannot hold (the year 0, beyond any
/// calendar) as its serial number. A value no type but xs:string can hold
/// (an infinite number, a duration of 36 hours) is written as the other
/// layouts write it.
/// Empty cells and error values write nothing, with type kNone; a text
/// writes nothing either (its bytes are the caller's to escape), with type
/// xs:string.
char* WriteSchemaValue(const CellValue& value, char* out, SchemaType& type);

}  // namespace kestrilo
