// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

#include "cli/job_plan.h"

namespace kestrilo::cli {

/// What a run writes and reads besides its workbooks, for CheckReportPath.
struct RunFiles {
  /// The input list's path; "-" for standard input.
  std::string files_from;
  /// Whether each output file has its schema beside it.
  bool schemas = false;
  /// Whether the XML goes to standard output.
  bool xml_to_stdout = false;
};

/// Throws UsageError, naming both paths, when the report at `report` would
/// replace a file of the run: a workbook it reads, the input list (also one
/// read from standard input), an output file of `jobs` or its schema, or
/// the standard output the XML goes to. Two paths are one file when both
/// exist and have the same device and inode, or when neither exists and
/// their normal absolute forms (links of their folders resolved) are
/// equal. "-" (standard output or input) is no file, and a device such as
/// a terminal or /dev/null spoils nothing.
void CheckReportPath(const std::string& report, const RunFiles& files,
                     const std::vector<Job>& jobs);

}  // namespace kestrilo::cli
