// SPDX-License-Identifier: MIT

#pragma once

#include <string>

namespace kestrilo::cli {

/// The completion scripts of kestrilo-cli for bash (bash-completion), zsh and
/// fish, made from the option table: every option with its summary, the
/// values of options that take one of a few words, files or folders where an
/// option names one, and folders and workbook files (by the extensions a
/// folder scan takes by default) for the inputs.
std::string BashCompletion();
std::string ZshCompletion();
std::string FishCompletion();

}  // namespace kestrilo::cli
