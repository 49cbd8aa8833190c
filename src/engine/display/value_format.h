// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model/cell_value.h"
#include "engine/model/style_table.h"

namespace kestrilo {

/// What a cell's number format makes of the number it holds, as the xlsx
/// and xls readers store it.
enum class ValueFormat : std::uint8_t {
  kNumber,
  kDateTime,
  kTimeOfDay,  // a time format: shows the time of a date-time
  kDuration,   // an elapsed-time format ([h]:mm): a count of days
};

/// What one cell format of an xlsx or xls workbook (an xf, which each
/// cell names by its index) means for the cells that use it.
struct CellFormat {
  /// What its number format makes of a number.
  ValueFormat value_format = ValueFormat::kNumber;
  /// Its look: the index in the workbook's StyleTable.
  std::uint32_t style = 0;
};

/// The value format of a custom format code such as "[h]:mm" or "d-mmm".
ValueFormat ValueFormatOfCode(std::string_view code);

/// The value format of a built-in format id.
ValueFormat ValueFormatOfBuiltin(int id);

/// Adds number format `id` of an xls or xlsx cell format to `table`: the
/// file's own code `custom` for it, or the built-in format of the id when
/// null. Sets `style.format` and returns what the format makes of a number.
ValueFormat AddNumberFormat(int id, const std::string* custom,
                            StyleTable& table, CellStyle& style);

/// A number as its format shows it: a plain number, a date-time converted
/// from the workbook's date system, or a time or duration.
CellValue FormattedNumber(double number, ValueFormat format, bool date1904);

}  // namespace kestrilo
