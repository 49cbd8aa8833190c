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
  /// Every tag name is made a valid XML name, one that parsers aware of
  /// namespaces accept too: characters a name may not hold and ":" become
  /// "_", and a name that cannot start as it is gets "_" in front. With
  /// escaping, every text is then well-formed XML, whatever the cells hold.
  /// Off keeps the names of older versions, such as <2> for a header 2.
  bool valid_names = true;
};

}  // namespace kestrilo
