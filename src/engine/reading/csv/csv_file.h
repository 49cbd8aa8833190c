#pragma once

#include <memory>
#include <string>

#include "engine/reading/input_file.h"
#include "engine/reading/workbook_file.h"

namespace kestrilo {

/// The WorkbookFile of a delimited text file (csv, tsv, txt) whose first bytes
/// `file` has read: it reads the rest from there.
std::unique_ptr<WorkbookFile> OpenCsvFile(const std::string& path,
                                          std::unique_ptr<InputFile> file);

}  // namespace kestrilo
