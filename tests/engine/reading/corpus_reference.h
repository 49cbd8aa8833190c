// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

namespace kestrilo {

/// One cell of a corpus reference file (.ref.json): what independent
/// readers found in a workbook.
struct ReferenceCell {
  std::string ref;  // "B3"
  int row = 0;
  int column = 0;
  std::string type;   // number, text, boolean, date, error
  std::string value;  // as text; booleans "true" / "false"
};

struct ReferenceSheet {
  std::string name;
  std::string kind;  // worksheet, chartsheet
  bool hidden = false;
  std::string used_range;  // empty when the sheet has no values
  std::vector<ReferenceCell> cells;
};

struct ReferenceWorkbook {
  bool expect_error = false;
  int max_rows = 200;
  int max_columns = 50;
  std::vector<ReferenceSheet> sheets;
};

/// Reads a .ref.json file; throws std::runtime_error when it can't.
ReferenceWorkbook LoadReference(const std::string& path);

}  // namespace kestrilo
