// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook_file.h"

namespace kestrilo {

/// The WorkbookFile of an OpenDocument spreadsheet (ods, ots) at `path`,
/// a zip package already recognised as one. Its sheets and names are
/// listed among its cells in content.xml: the rows of one sheet are read
/// in one pass that passes the other tables by and stops where the chosen
/// one ends, the structure (when needed) in a pass of its own.
std::unique_ptr<WorkbookFile> OpenOdsFile(const std::string& path);

}  // namespace kestrilo
