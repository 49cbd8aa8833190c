// SPDX-License-Identifier: MIT

#pragma once

#include <exception>
#include <string>

namespace kestrilo::cli {

/// What every line of ours on standard error starts with.
inline constexpr char kMessagePrefix[] = "kestrilo-cli: ";

/// A failure while working on `path`, as the user reads it: "FILE: reason"
/// (a WorkbookError names the file it is about, which may be a part of
/// `path`'s), "FILE: not enough memory", or "FILE: what()". `failure` must
/// hold an exception.
struct FailureText {
  /// The whole text, to go after kMessagePrefix.
  std::string line;
  /// The reason alone, as reports give it.
  std::string reason;
};
FailureText DescribeFailure(const std::string& path,
                            const std::exception_ptr& failure);

}  // namespace kestrilo::cli
