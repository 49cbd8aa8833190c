#pragma once

#include <memory>
#include <string>

#include "engine/reading/input_file.h"
#include "engine/reading/workbook_file.h"

namespace kestrilo {

/// The WorkbookFile of a binary Excel workbook (xls) whose first bytes
/// `file` has read: it reads the rest from there.
std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path,
                                          std::unique_ptr<InputFile> file);

}  // namespace kestrilo
