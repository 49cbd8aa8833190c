// SPDX-License-Identifier: MIT
// Directory-search patterns against names, both any bytes (a user types the
// pattern, a folder holds the names): matching ends quickly, and "*" at both
// ends finds every name that holds the rest.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/folder_scan/wildcard_match.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = bytes.find('\0');
  const std::string_view pattern = bytes.substr(0, cut);
  const std::string_view name = cut == std::string_view::npos
                                    ? std::string_view()
                                    : bytes.substr(cut + 1);
  kestrilo::MatchesWildcard(name, pattern);
  if (name.find_first_of("*?") == std::string_view::npos &&
      !kestrilo::MatchesWildcard(name, "*" + std::string(name) + "*")) {
    __builtin_trap();
  }
  return 0;
}
