// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook.h"

namespace kestrilo {

/// Reads an Excel binary workbook (BIFF8 of Excel 97-2003, and BIFF5/7 of
/// Excel 5/95) from its compound-file container. Throws WorkbookError for
/// damaged containers, encrypted workbooks (including password-protected
/// Office Open XML files, which come in this container) and older BIFF.
std::unique_ptr<Workbook> ReadXls(const std::string& path);

/// The same, for a file's content already in memory; `path` names it in the
/// workbook and in errors.
std::unique_ptr<Workbook> ReadXlsBytes(const std::string& path,
                                       std::string bytes);

}  // namespace kestrilo
