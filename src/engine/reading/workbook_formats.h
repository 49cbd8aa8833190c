// SPDX-License-Identifier: MIT

#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

/// The families of workbook formats, as file dialogs group them.
enum class FormatFamily { kExcel, kOpenDocument, kText };

/// One file format the readers read, by its file name extension.
struct WorkbookFormat {
  /// Without the dot, in small letters: "xlsx".
  std::string_view extension;
  /// The MIME type desktops know it by.
  std::string_view mime_type;
  FormatFamily family;
  /// Whether the desktop entry offers the program for such files. Not for
  /// plain text: every text file would be offered to it.
  bool desktop = true;
};

/// Every format read, in the order they are listed to users: the one table
/// that the file dialogs, folder scans, the desktop entry and the command
/// line's --ext default are made from.
std::span<const WorkbookFormat> WorkbookFormats();

/// The extensions of every format read, in table order.
std::vector<std::string> WorkbookExtensions();

/// The file dialog patterns of one family: "*.csv *.tsv *.txt".
std::string ExtensionPatterns(FormatFamily family);

/// Whether `path` names plain text (a csv, tsv or txt file, letter case
/// aside), which is recognised by its name rather than its content and may
/// come from a pipe.
bool IsPlainTextName(std::string_view path);

}  // namespace kestrilo
