// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/input/input_file.h"
#include "engine/model/workbook_file.h"

namespace kestrilo {

/// The WorkbookFile of a binary Excel workbook (xls: BIFF8 of Excel
/// 97-2003, BIFF5/7 of Excel 5/95) whose first bytes `file` has read: it
/// reads the rest from there and, at once, the workbook's globals (its
/// structure and shared strings), but no sheet's cells. The file is held in
/// memory once, until the cells are read; ReadRows adds the shared strings
/// and one row to it. Throws WorkbookError for damaged containers,
/// encrypted workbooks (including password-protected Office Open XML files,
/// which come in this container) and older BIFF.
std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path,
                                          std::unique_ptr<InputFile> file);

/// The same, for a file's content already in memory; `path` names it in
/// the workbook and in errors.
std::unique_ptr<WorkbookFile> OpenXlsBytes(const std::string& path,
                                           std::string bytes);

}  // namespace kestrilo
