// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>

namespace kestrilo {

/// True when the file name `name` matches the directory-search pattern
/// `pattern`: "*" stands for any run of characters (also none), "?" for
/// exactly one character, and everything else for itself with ASCII letters
/// compared without regard to case, so "*.xl*" finds "Book.XLSX". As in a
/// Windows directory search, a pattern ending in ".*" also matches names
/// without a dot, so "*.*" matches every name. Names are UTF-8; "?" takes
/// one whole character.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace kestrilo
