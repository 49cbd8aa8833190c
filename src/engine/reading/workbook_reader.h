// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook.h"

namespace kestrilo {

/// Reads a workbook file of any format we know (xlsx, xlsm, xltx, xltm,
/// ods, xls, csv, txt), recognised by its content, and by its name only for
/// plain text. Throws WorkbookError naming the file and the reason for
/// anything it cannot read: missing or unreadable files, corrupt or
/// truncated containers, encrypted workbooks, formats we do not read.
std::unique_ptr<Workbook> ReadWorkbook(const std::string& path);

}  // namespace kestrilo
