// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>

namespace kestrilo {

/// What a cell's number format makes of the number it shows.
enum class NumberFormatKind {
  kNumber,    // plain number, currency, percentage, text ...
  kDateTime,  // a date, possibly with a time
  kTime,      // a time of day or elapsed time, without a date
};

/// Classifies one of the built-in format ids of xlsx and xls (14 to 22 and
/// 45 to 47 are dates and times; the rest are numbers).
NumberFormatKind ClassifyBuiltinFormat(int id);

/// Classifies a format code such as "yyyy-mm-dd", "[h]:mm:ss" or
/// "#,##0.00": date or time tokens outside quotes, escapes and brackets make
/// it a date; elapsed-time brackets ([h], [mm], [ss]) make it a time.
NumberFormatKind ClassifyFormatCode(std::string_view code);

/// Converts a serial of a workbook's date system to the serial we keep
/// (days since 1899-12-30). `date1904` is the 1904 system of older Mac
/// files; the 1900 system counts a 29 February 1900 that never was.
double NormalizeDateSerial(double serial, bool date1904);

}  // namespace kestrilo
