// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrilo {

/// How sheet names are compared, quoted and split off a reference, in one
/// place for addresses, defined names, the command line and the window.

/// Whether two sheet names name the same sheet: letter case of A-Z does
/// not matter, as in spreadsheet applications.
bool SameSheetName(std::string_view a, std::string_view b);

/// `sheet` in single quotes, a quote in it doubled: 'It''s'.
std::string QuotedSheetName(std::string_view sheet);

/// The prefix that names `sheet` in front of a reference: "Data!", or
/// "'My Sheet'!" for a name that is more than letters, digits and "_" or
/// that starts with a digit.
std::string SheetPrefix(std::string_view sheet);

/// Reads a quoted sheet name starting at text[pos] (a quote), with '' for a
/// quote; moves `pos` past the closing quote. False when it does not close.
bool ReadQuotedSheetName(std::string_view text, std::size_t& pos,
                         std::string& sheet);

/// A reference split at its sheet prefix: "'It''s'!A1" gives the sheet
/// "It's" and "A1"; "Data ! Prices" gives "Data" and "Prices".
struct SheetQualified {
  /// The sheet named, without quotes and blanks; none without a prefix.
  std::optional<std::string> sheet;
  /// What follows the prefix, without blanks around it.
  std::string_view rest;
};

/// Splits `text` at the "!" that ends its sheet prefix (a "!" inside quotes
/// is part of the sheet's name). Nothing when a quote does not close or
/// the prefix names no sheet.
std::optional<SheetQualified> SplitSheetPrefix(std::string_view text);

}  // namespace kestrilo
