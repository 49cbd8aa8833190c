// SPDX-License-Identifier: MIT

#pragma once

#include <stdexcept>
#include <string>

namespace kestrilo::cli {

/// A command line that cannot be run as given: an unknown option, a missing
/// or malformed value, no input. The tool answers it with exit status 2.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message)
      : std::runtime_error(message) {}
};

}  // namespace kestrilo::cli
