// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/display/general_number.h"
#include "engine/display/render_result.h"
#include "engine/model/cell_value.h"

namespace kestrilo {

namespace format_internal {
struct Section;
}  // namespace format_internal

/// A number format code of xlsx and xls ("#,##0.00;[Red]-#,##0.00",
/// "d-mmm-yy", "[h]:mm:ss", "0.0%", "# ?/?", "@") compiled once, so that
/// any number of cells render quickly, to the text a spreadsheet shows.
///
/// Covers General; up to four sections (positive; negative; zero; text) and
/// conditions ("[<100]"); colours ("[Red]", "[Color 10]"); literals (quoted,
/// "\x", and characters such as "$ - + / ( ) : space"); "@"; digit
/// placeholders "0 # ?"; thousands separators and scaling commas; percent;
/// scientific notation; fractions; dates, times, elapsed times ([h] [mm]
/// [ss]) and AM/PM; "_x" (one space) and "*x" (a fill, left out of the
/// text); currency and locale brackets ("[$€-407]", "[$-409]"). Names of
/// months and days are English.
///
/// Immutable after construction: one instance may render from many threads.
class CompiledFormat {
 public:
  /// Codes longer than this compile to General: no real format comes near
  /// (Excel allows 255 characters), and a hostile one can't grow the work.
  static constexpr std::size_t kMaxCodeLength = 4096;

  /// General.
  CompiledFormat();
  /// Compiles `code`. Never fails: an empty code is General, and what the
  /// code does not say in a known way is shown as written.
  explicit CompiledFormat(std::string_view code);
  CompiledFormat(CompiledFormat&&) noexcept;
  CompiledFormat& operator=(CompiledFormat&&) noexcept;
  ~CompiledFormat();

  const std::string& code() const { return code_; }
  /// True for General: numbers are rounded to the column width.
  bool is_general() const { return general_; }
  /// True when the format shows numbers as dates or times.
  bool shows_date_time() const;

  /// Renders `value` into `out` (replacing what it held) as a spreadsheet
  /// shows it in a column `width` characters wide. The width only changes
  /// General numbers, which are rounded to fit it; any other text may be
  /// longer (FitsInWidth tells; a grid shows "###" for numbers and dates
  /// that don't fit, and lets texts spill over).
  ///
  /// Numbers and date-times: the section chosen by sign or condition.
  /// Dates and times are read as the model keeps them: a date-time's serial
  /// counts days from 1899-12-30; a plain number under a date format, and
  /// a time-only value (a time of day or a duration), is read as a
  /// spreadsheet reads a serial, 0 being "1900-01-00" and 60 the
  /// 1900-02-29 the 1900 date system counts. A date-time under General
  /// shows as yyyy-mm-dd (with hh:mm:ss when it has a time), a time-only
  /// value as hh:mm:ss ([hh]:mm:ss from a day on). Texts: the text section
  /// if there is one, else the text as it is. Booleans: TRUE or FALSE.
  /// Errors: their code. Empty cells: nothing.
  RenderResult Render(const CellValue& value, std::string& out,
                      int width = kUnlimitedWidth) const;

  /// The text of `value` in an unlimited column.
  std::string Text(const CellValue& value) const;

 private:
  const format_internal::Section* NumberSection(double number,
                                                bool& drop_sign) const;
  RenderResult RenderNumber(const CellValue& value, std::string& out,
                            int width) const;
  RenderResult RenderText(std::string_view text, std::string& out) const;

  std::string code_;
  std::vector<format_internal::Section> sections_;
  // Sections for numbers (up to three) and the text section, or -1.
  int number_sections_ = 0;
  int text_section_ = -1;
  bool general_ = true;
};

}  // namespace kestrilo
