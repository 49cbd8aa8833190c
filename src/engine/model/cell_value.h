// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>

namespace kestrilo {

/// The kinds of value a worksheet cell can hold.
enum class CellKind : std::uint8_t {
  kEmpty,
  kNumber,
  kText,
  kBoolean,
  kDateTime,
  kError,
};

/// One cell's value as the readers deliver it. A light view: `text` points
/// into storage owned by the workbook and stays valid as long as it does.
///
/// Dates and times are kept as a serial number of days counted from
/// 1899-12-30 (so 1.5 is 1899-12-31 12:00), whatever date system the file
/// used; readers convert 1904-based serials and the 1900 leap-year quirk.
struct CellValue {
  CellKind kind = CellKind::kEmpty;
  /// For kDateTime: the value is a time of day or a duration, shown without
  /// a date (the number format had time parts only, or ODS time-value).
  bool time_only = false;
  /// kNumber: the number; kBoolean: 0 or 1; kDateTime: the serial.
  double number = 0.0;
  /// kText: the text (UTF-8); kError: the error code such as "#DIV/0!".
  std::string_view text;

  static CellValue Empty() { return {}; }
  static CellValue Number(double value) {
    return {CellKind::kNumber, false, value, {}};
  }
  static CellValue Text(std::string_view value) {
    return {CellKind::kText, false, 0.0, value};
  }
  static CellValue Boolean(bool value) {
    return {CellKind::kBoolean, false, value ? 1.0 : 0.0, {}};
  }
  static CellValue DateTime(double serial, bool time_only = false) {
    return {CellKind::kDateTime, time_only, serial, {}};
  }
  static CellValue Error(std::string_view code) {
    return {CellKind::kError, false, 0.0, code};
  }

  bool is_empty() const { return kind == CellKind::kEmpty; }
  bool is_error() const { return kind == CellKind::kError; }
};

}  // namespace kestrilo
