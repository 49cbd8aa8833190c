// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversion/output_budget.h"
#include "engine/reading/workbook_formats.h"
#include "engine/writing/export_options.h"

namespace kestrilo::cli {

/// What the command line asks for, after parsing and checking.
struct CommandLine {
  /// Workbook files and folders, in the order given.
  std::vector<std::string> inputs;
  /// A file naming further inputs, one a line ("-": standard input); empty
  /// when there is none. Its inputs come after those of the command line.
  std::string files_from;
  /// The names of `files_from` are separated by NUL bytes, not line ends.
  bool null_separated = false;
  /// Extensions of the folder scan: a file matching "*." followed by any of
  /// them is added. The default is every format the tool reads.
  std::vector<std::string> extensions = WorkbookExtensions();
  /// Workbooks found below a folder input write to the same relative folder
  /// below the output folder.
  bool keep_tree = false;
  /// Where a JSON line per workbook goes ("-": standard output); empty for
  /// no report.
  std::string report;
  /// The block's address; empty means the used range of the sheet.
  std::string range;
  /// The sheet by name, or by 1-based number when `sheet_number` is set.
  std::string sheet_name;
  std::optional<int> sheet_number;
  ExportOptions options;
  /// The most bytes of XML a workbook may give; 0 for no limit.
  std::uint64_t max_output = kDefaultMaxOutput;
  /// The output folder; "-" means standard output.
  std::string output = ".";
  /// Workbooks converted at the same time; 0 means one per hardware thread.
  int jobs = 0;
  bool quiet = false;
  /// List each workbook's sheets, names and tables instead of converting.
  bool list = false;
  bool help = false;
  bool version = false;

  bool to_stdout() const { return output == "-"; }
};

/// Parses the arguments after the program name. Throws UsageError naming
/// the offending argument. `--help` and `--version` are accepted without
/// inputs.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace kestrilo::cli
