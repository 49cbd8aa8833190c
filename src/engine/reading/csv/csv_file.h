// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/input/input_file.h"
#include "engine/model/workbook_file.h"

namespace kestrilo {

/// The WorkbookFile of a delimited text file (csv, tsv, txt) whose first
/// bytes `file` has read: one sheet named after the file, every field a
/// text (see CsvParser for the rules, CsvEncoding for the encodings). Its
/// rows go to a RowSink as they are parsed, the file read in pieces.
std::unique_ptr<WorkbookFile> OpenCsvFile(const std::string& path,
                                          std::unique_ptr<InputFile> file);

}  // namespace kestrilo
