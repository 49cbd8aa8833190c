// SPDX-License-Identifier: MIT

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
  /// The records layout instead of the four above: the block's first row
  /// gives each column's place in a record (@attribute, parent/child, see
  /// RecordShape), and each later row becomes one element named after
  /// `record_tag` inside the title's. Its text is always escaped, its names
  /// always valid and its title always written: it is well-formed XML
  /// whatever the cells hold.
  bool records = false;
  /// The records layout: the name of each record, spaces removed.
  std::string record_tag = "Record";
  /// The records layout: attributes and elements whose cells are all empty
  /// are written (empty) instead of left out.
  bool keep_empty = false;
  /// The records layout: an XML Schema of the records is made too, to be
  /// written beside the XML, after it (see RowWriter::Schema).
  bool schema = false;
  /// The file name the XML's root gives the schema by, such as "Book1.xsd"
  /// (its xsi:noNamespaceSchemaLocation): set for each file by the front
  /// end, which decides where the schema goes. Empty: the root names none.
  std::string schema_name;
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
  /// Each cell is written as the text it shows in a spreadsheet (its number
  /// format applied: "12.50%", "$12.50", "8/31/2021"; General numbers in at
  /// most 11 characters; booleans TRUE / FALSE; errors their code) instead
  /// of its value.
  bool as_displayed = false;

  bool operator==(const ExportOptions&) const = default;
};

}  // namespace kestrilo
