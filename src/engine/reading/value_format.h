#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/cell_value.h"

namespace kestrilo {

/// What a cell's number format makes of the number it holds, as the xlsx
/// and xls readers store it.
enum class ValueFormat : std::uint8_t {
  kNumber,
  kDateTime,
  kTimeOfDay,  // a time format: shows the time of a date-time
  kDuration,   // an elapsed-time format ([h]:mm): a count of days
};

/// The value format of a custom format code such as "[h]:mm" or "d-mmm".
ValueFormat ValueFormatOfCode(std::string_view code);

/// The value format of a built-in format id.
ValueFormat ValueFormatOfBuiltin(int id);

/// A number as its format shows it: a plain number, a date-time converted
/// from the workbook's date system, or a time or duration.
CellValue FormattedNumber(double number, ValueFormat format, bool date1904);

}  // namespace kestrilo
