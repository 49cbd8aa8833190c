// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/model/block_name.h"
#include "engine/model/workbook.h"
#include "engine/reading/xml/xml_tokenizer.h"

namespace kestrilo {

/// Gathers the named ranges, named expressions and database ranges of an
/// OpenDocument spreadsheet while its content is read, and adds them to
/// the workbook once every sheet is known (a name may point at a sheet
/// that comes after it).
class OdsNames {
 public:
  /// Names are charged to the budget of `workbook` as they are met.
  explicit OdsNames(Workbook& workbook) : workbook_(workbook) {}

  /// Takes the element `xml` is at when it is a table:named-range,
  /// table:named-expression or table:database-range; `sheet` is the index
  /// of the table it lies in, -1 outside tables. False for other elements.
  bool Take(const XmlTokenizer& xml, int sheet);

  /// Settles every name gathered against the sheets read and adds it.
  void AddToWorkbook();

 private:
  Workbook& workbook_;
  std::vector<BlockName> names_;
};

/// An OpenDocument cell range list ("$Sheet1.$A$1:.$C$5",
/// "$'My Sheet'.A1:'My Sheet'.B2 Sheet2.C3") in A1 style
/// ("'Sheet1'!$A$1:$C$5", areas joined by ","); empty for a list that is
/// not one.
std::string OdsRangesToA1(std::string_view ranges);

}  // namespace kestrilo
