#pragma once

#include <string>
#include <vector>

namespace kestrilo {

/// How one workbook of a run ended, with what to tell the user about it.
struct JobResult {
  enum class Status { kConverted, kFailed, kSkipped };

  Status status = Status::kFailed;
  /// Complete lines for standard error (warnings and errors), in order.
  std::vector<std::string> messages;
  /// The XML, kept only when it goes to standard output.
  std::string xml;
};

}  // namespace kestrilo
