#pragma once

#include <string>
#include <string_view>

namespace kestrilo {

/// Creates or replaces the file at `path` with exactly the bytes of `text`
/// (UTF-8, no byte-order mark). The text goes to a temporary file in the same
/// folder that is then renamed over the target, so a failure leaves an
/// earlier file intact and no partial file behind. A replaced file keeps its
/// permissions (and, where the process may set them, its owner and group).
/// Throws std::runtime_error naming the path and the reason.
void WriteTextFile(std::string_view text, const std::string& path);

/// Removes every temporary file that WriteTextFile calls in any thread are
/// writing at this moment, and makes those calls, and any later ones, wait
/// for good: for a program that is about to end at once (on a signal).
/// Not for a signal handler itself; call it from an ordinary thread.
void AbandonTemporaryFiles();

/// The part of `path` after its last separator ("/" and, on every platform,
/// the native one); the whole path when it has none; empty when it ends with
/// one.
std::string FileNameOfPath(std::string_view path);

/// True only when `path` names an existing folder; false for files, missing
/// paths, empty paths and paths whose attributes cannot be read.
bool IsFolder(const std::string& path);

/// The output file name for a workbook path: its file name with the last
/// extension replaced by ".xml" ("sales.2021.q1.xls" gives
/// "sales.2021.q1.xml"); a name without a dot gets ".xml" appended.
std::string OutputNameFor(std::string_view workbook_path);

}  // namespace kestrilo
