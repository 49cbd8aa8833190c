#pragma once

#include <string>

namespace kestrilo {

/// The conversion options for one workbook, read from the option controls
/// (or the command line) at the moment of conversion.
struct ExportOptions {
  /// The XML is wrapped in one outermost element named after the title.
  bool title_tag = true;
  /// The first row of the block holds header names.
  bool header_row = true;
  /// The first column of the block holds header names.
  bool header_column = false;
  /// The hierarchy runs row first; false means column first.
  bool row_first = true;
  /// The title text; with its spaces removed it names the outermost element.
  std::string title = "XML";
  /// Cell text has "&", "<" and ">" written as entities. Off gives the raw
  /// text of older versions, which is not always well-formed XML.
  bool escape_text = true;
  /// Every tag name is made a valid XML name: characters a name may not hold
  /// become "_", and a name that cannot start as it is gets "_" in front.
  /// Off keeps the names of older versions, such as <2> for a header 2.
  bool valid_names = false;
  /// Each cell is written as the text it shows in a spreadsheet (its number
  /// format applied: "12.50%", "$12.50", "8/31/2021"; General numbers in at
  /// most 11 characters; booleans TRUE / FALSE; errors their code) instead
  /// of its value.
  bool as_displayed = false;
};

}  // namespace kestrilo
