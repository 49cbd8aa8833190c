// SPDX-License-Identifier: MIT

#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/command_line.h"

namespace kestrilo::cli {

/// What a shell offers for an option's value.
enum class ValueCompletion {
  kNothing,  ///< free text: nothing to offer
  kWords,    ///< one of the option's `words`
  kFile,     ///< a file name
  kFolder,   ///< a folder name
};

/// One option of kestrilo-cli. The table of these is the only list of the
/// options: the parser, --help, the shell completions and the man page's
/// check all read it, so that a new option is one new row.
struct Option {
  /// The long spelling, such as "--headers"; every option has one.
  const char* name = nullptr;
  /// A one-letter spelling, such as "-o", or nullptr.
  const char* short_name = nullptr;
  /// The value's name in the help, such as "MODE"; nullptr for an option
  /// that takes no value.
  const char* value = nullptr;
  ValueCompletion completion = ValueCompletion::kNothing;
  /// The values a shell offers for ValueCompletion::kWords, space-separated.
  const char* words = nullptr;
  /// One paragraph for --help. Its part before the first ": ", "; " or " ("
  /// is the summary that shells show beside the option.
  const char* help = nullptr;
  /// Applies the option, with its value ("" for an option that takes none),
  /// to `line`. Throws UsageError for a value it cannot take.
  void (*apply)(const std::string& value, CommandLine& line) = nullptr;

  bool takes_value() const { return value != nullptr; }
};

/// Every option, in the order --help lists them.
std::span<const Option> Options();

/// The option spelled `spelling` ("--headers" or "-o"), or nullptr.
const Option* FindOption(std::string_view spelling);

/// The start of the option's help that shells show beside it.
std::string Summary(const Option& option);

}  // namespace kestrilo::cli
