// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

#include "cli/job_plan.h"

namespace kestrilo::cli {

/// Throws UsageError, naming both paths, when the report at `report` would
/// replace a file of the run: a workbook it reads, the input list
/// `files_from`, or an output file of `jobs`. Two paths are one file when
/// both exist and have the same device and inode, or when neither exists
/// and their normal absolute forms (links of their folders resolved) are
/// equal. "-" (standard output or input) is no file.
void CheckReportPath(const std::string& report, const std::string& files_from,
                     const std::vector<Job>& jobs);

}  // namespace kestrilo::cli
