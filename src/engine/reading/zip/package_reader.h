#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook.h"

namespace kestrilo {

/// Reads a zip-packaged workbook: Office Open XML (xlsx, xlsm, xltx, xltm)
/// or OpenDocument (ods). Throws WorkbookError for anything else in a zip
/// (xlsb, documents that are no spreadsheets) and for damaged packages.
std::unique_ptr<Workbook> ReadPackageWorkbook(const std::string& path);

}  // namespace kestrilo
