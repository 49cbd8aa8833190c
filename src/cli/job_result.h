// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrilo::cli {

/// How one workbook of a run ended, with what to tell the user about it.
struct JobResult {
  /// kNotStarted: the run was interrupted before the job began.
  enum class Status { kConverted, kFailed, kSkipped, kNotStarted };

  Status status = Status::kFailed;
  /// Complete lines for standard error (warnings and errors), in order.
  std::vector<std::string> messages;

  // What the report tells a pipeline, without the "kestrilo-cli: FILE: "
  // of the messages.
  /// Why the workbook failed or was skipped; empty when converted.
  std::string reason;
  std::vector<std::string> warnings;
  /// The block converted, as an address, with its sheet and size; empty and 0
  /// when none was.
  std::string block;
  std::string sheet;
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  /// The bytes of XML written.
  std::uint64_t bytes = 0;
  double seconds = 0;
};

}  // namespace kestrilo::cli
