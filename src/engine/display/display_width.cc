// SPDX-License-Identifier: MIT

#include "engine/display/display_width.h"

namespace kestrilo {

int CharacterCount(std::string_view text) {
  int count = 0;
  for (const char c : text) {
    // Continuation bytes (10xxxxxx) belong to the character before them.
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

bool FitsInWidth(std::string_view text, int width) {
  return CharacterCount(text) <= width;
}

}  // namespace kestrilo
