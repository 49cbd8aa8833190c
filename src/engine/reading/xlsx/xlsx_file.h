// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook_file.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// The WorkbookFile of an Office Open XML workbook (xlsx, xlsm, xltx, xltm)
/// in the opened package `zip`, whose main part is `workbook_part`
/// ("xl/workbook.xml").
std::unique_ptr<WorkbookFile> OpenXlsxFile(std::unique_ptr<ZipArchive> zip,
                                           const std::string& workbook_part);

}  // namespace kestrilo
