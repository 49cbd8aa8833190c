// SPDX-License-Identifier: MIT

#include "engine/folder_scan/wildcard_match.h"

#include <cstddef>

namespace kestrilo {
namespace {

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The position after the UTF-8 character that starts at `i`.
size_t NextCharacter(std::string_view text, size_t i) {
  ++i;
  while (i < text.size() && IsContinuationByte(text[i])) ++i;
  return i;
}

// Greedy matching with one backtrack point (the last "*"), linear in
// practice and never recursive, so hostile names cannot blow the stack.
bool MatchesPlain(std::string_view name, std::string_view pattern) {
  size_t n = 0;
  size_t p = 0;
  size_t star = std::string_view::npos;
  size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n = NextCharacter(name, n);
    } else if (p < pattern.size() &&
               FoldCase(pattern[p]) == FoldCase(name[n])) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      star_name = NextCharacter(name, star_name);
      n = star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (MatchesPlain(name, pattern)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
    return MatchesPlain(name, pattern.substr(0, pattern.size() - 2));
  }
  return false;
}

}  // namespace kestrilo
