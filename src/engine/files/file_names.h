// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>

namespace kestrilo {

/// The part of `path` after its last separator ("/" and, on every platform,
/// the native one); the whole path when it has none; empty when it ends with
/// one.
std::string FileNameOfPath(std::string_view path);

/// The folder part of `path`: what comes before its last separator ("/"
/// for a file in the root), or "." when it has none.
std::string FolderOfPath(const std::string& path);

/// True only when `path` names an existing folder; false for files, missing
/// paths, empty paths and paths whose attributes cannot be read.
bool IsFolder(const std::string& path);

/// The output file name for a workbook path: its file name with the last
/// extension replaced by ".xml" ("sales.2021.q1.xls" gives
/// "sales.2021.q1.xml"); a name without a dot gets ".xml" appended.
std::string OutputNameFor(std::string_view workbook_path);

}  // namespace kestrilo
