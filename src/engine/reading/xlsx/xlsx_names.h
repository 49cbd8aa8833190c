// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

#include "engine/model/workbook.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// Adds to `workbook`, whose sheets are read, the defined names of the
/// workbook part and the tables each sheet's part relates to.
/// `sheet_parts[i]` is the part of sheet i (empty for chart sheets). Names
/// that cannot stand for one block are added with the reason; a damaged
/// part throws WorkbookError naming it.
void ReadXlsxNames(const ZipArchive& zip, const std::string& workbook_part,
                   const std::vector<std::string>& sheet_parts,
                   Workbook& workbook);

}  // namespace kestrilo
