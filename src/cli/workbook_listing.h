// SPDX-License-Identifier: MIT

#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/model/workbook.h"

namespace kestrilo::cli {

/// The lines --list prints for one workbook, each starting with `shown`
/// (the path as given) and ": ": one per sheet (`sheet "Data" active used
/// $A$1:$D$20`), then one per name and table, as the file lists them
/// (`name "Prices" $B$2:$D$9 on "Data"`, `table "Orders" $A$1:$F$40 on
/// "Data" (1 header row)`, `name "Rate" not usable: refers to a constant`).
std::vector<std::string> ListingLines(const Workbook& workbook,
                                      const std::string& shown);

/// Reads each workbook and prints its lines to `out`; a workbook that
/// cannot be read is reported on `err`, naming it. Writes no file. Returns
/// the exit status: 0, or 1 when a workbook could not be read.
int ListWorkbooks(const std::vector<std::string>& workbooks, std::FILE* out,
                  std::FILE* err);

}  // namespace kestrilo::cli
