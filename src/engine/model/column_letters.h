// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>

namespace kestrilo {

/// The letters of a column number, 1 to 16384: A ... Z, AA ... XFD. Empty
/// for numbers outside that range.
std::string ColumnLetters(std::int32_t column);

/// Appends the letters of `column` (at least 1) to `out`, without checking
/// the range: for loops that write many of them.
void AppendColumnLetters(std::int32_t column, std::string& out);

}  // namespace kestrilo
