#pragma once

#include <memory>
#include <string>

#include "engine/reading/workbook_file.h"

namespace kestrilo {

/// The WorkbookFile of an Office Open XML workbook (xlsx, xlsm, xltx, xltm)
/// at `path`, whose main part is `workbook_part` ("xl/workbook.xml").
std::unique_ptr<WorkbookFile> OpenXlsxFile(const std::string& path,
                                           const std::string& workbook_part);

}  // namespace kestrilo
