// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook_file.h"

namespace kestrilo {

/// Opens `path`, recognised by its content (by its name only for plain
/// text). Reads what tells the format and, where it costs little, the
/// structure; never a cell. Throws WorkbookError naming the file and the
/// reason where it cannot.
std::unique_ptr<WorkbookFile> OpenWorkbookFile(const std::string& path);

}  // namespace kestrilo
