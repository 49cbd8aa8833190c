// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook_file.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// Opens a zip-packaged workbook: Office Open XML (xlsx, xlsm, xltx, xltm)
/// or OpenDocument (ods). Throws WorkbookError for anything else in a zip
/// (xlsb, documents that are no spreadsheets) and for damaged packages.
std::unique_ptr<WorkbookFile> OpenPackageFile(const std::string& path);

/// The workbook part of an Office Open XML spreadsheet package, as
/// OpenPackageFile finds it; empty for any other package.
std::string SpreadsheetMainPart(const ZipArchive& zip);

}  // namespace kestrilo
