#pragma once

#include <memory>
#include <string>

#include "engine/reading/workbook_file.h"

namespace kestrilo {

/// The WorkbookFile of an OpenDocument spreadsheet (ods, ots) at `path`,
/// a zip package already recognised as one.
std::unique_ptr<WorkbookFile> OpenOdsFile(const std::string& path);

}  // namespace kestrilo
