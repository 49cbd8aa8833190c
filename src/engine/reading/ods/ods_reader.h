#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// Reads an OpenDocument spreadsheet (ods, ots) from its opened package.
/// Throws WorkbookError naming `path` when the content cannot be read.
std::unique_ptr<Workbook> ReadOds(const std::string& path, ZipArchive& zip);

}  // namespace kestrilo
