#pragma once

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
  /// The XML, kept only when it goes to standard output.
  std::string xml;
};

}  // namespace kestrilo::cli
