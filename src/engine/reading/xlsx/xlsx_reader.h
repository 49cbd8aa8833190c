#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// Reads an Office Open XML workbook (xlsx, xlsm, xltx, xltm; transitional
/// or strict) whose main part is `workbook_part` (e.g. "xl/workbook.xml").
/// Cached formula results are read as they are, never recalculated. Throws
/// WorkbookError naming `path` for missing or malformed parts.
std::unique_ptr<Workbook> ReadXlsx(const std::string& path,
                                   const ZipArchive& zip,
                                   const std::string& workbook_part);

}  // namespace kestrilo
