// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>

namespace kestrilo {

/// The small text rules every reader and parser shares: ASCII only, so that
/// they mean the same whatever the machine's locale.

/// `c` with A-Z made a-z; every other byte as it is.
inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// `text` with A-Z made a-z.
std::string AsciiLowered(std::string_view text);

/// Whether two texts are equal when A-Z and a-z count as the same.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

/// Whether `text` starts with `prefix`, A-Z and a-z counting as the same.
bool StartsWithIgnoringAsciiCase(std::string_view text,
                                 std::string_view prefix);

/// Whether `c` is one of the blanks XML and the file formats allow around
/// values: space, TAB, LF, CR.
inline bool IsAsciiBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

/// `text` without the blanks (space, TAB, LF, CR) at either end.
std::string_view TrimAsciiBlanks(std::string_view text);

/// The same, settled inline for the usual unpadded value.
inline std::string_view TrimmedValue(std::string_view text) {
  if (!text.empty() && static_cast<unsigned char>(text.front()) > ' ' &&
      static_cast<unsigned char>(text.back()) > ' ') {
    return text;
  }
  return TrimAsciiBlanks(text);
}

}  // namespace kestrilo
