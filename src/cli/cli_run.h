// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

namespace kestrilo::cli {

/// Exit statuses of the tool.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

/// The whole command: parses `args` (without the program name), converts
/// every workbook, reports on standard error and returns the exit status.
int RunCli(const std::vector<std::string>& args);

}  // namespace kestrilo::cli
