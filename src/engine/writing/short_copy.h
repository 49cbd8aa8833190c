// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace kestrilo {

/// Copies `text` to `out` and returns its end. Tags and cell texts are
/// mostly a few bytes long: two overlapping words copy them without a call.
inline char* CopyShort(std::string_view text, char* out) {
  const std::size_t size = text.size();
  const char* from = text.data();
  if (size >= 8 && size <= 16) {
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + size - 8, 8);
    std::memcpy(out, &head, 8);
    std::memcpy(out + size - 8, &tail, 8);
  } else if (size >= 4 && size < 8) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + size - 4, 4);
    std::memcpy(out, &head, 4);
    std::memcpy(out + size - 4, &tail, 4);
  } else if (size > 0 && size < 4) {
    // Never for an empty text: its pointer may be null.
    out[0] = from[0];
    out[size / 2] = from[size / 2];
    out[size - 1] = from[size - 1];
  } else if (size != 0) {
    std::memcpy(out, from, size);
  }
  return out + size;
}

}  // namespace kestrilo
