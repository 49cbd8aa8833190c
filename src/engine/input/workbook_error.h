// SPDX-License-Identifier: MIT

#pragma once

#include <stdexcept>
#include <string>

namespace kestrilo {

/// A workbook that cannot be read: names the file and the reason.
class WorkbookError : public std::runtime_error {
 public:
  WorkbookError(const std::string& path, const std::string& reason)
      : std::runtime_error(path + ": " + reason),
        path_(path),
        reason_(reason) {}

  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

}  // namespace kestrilo
