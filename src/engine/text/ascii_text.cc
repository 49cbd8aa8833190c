// SPDX-License-Identifier: MIT

#include "engine/text/ascii_text.h"

#include <algorithm>

namespace kestrilo {

std::string AsciiLowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = AsciiLower(c);
  return lowered;
}

bool StartsWithIgnoringAsciiCase(std::string_view text,
                                 std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(
             prefix.begin(), prefix.end(), text.begin(),
             [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithIgnoringAsciiCase(a, b);
}

std::string_view TrimAsciiBlanks(std::string_view text) {
  while (!text.empty() && IsAsciiBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace kestrilo
