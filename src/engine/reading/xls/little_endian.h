// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <cstring>

namespace kestrilo {

// The integers and doubles of compound files and BIFF records, stored
// little-endian whatever machine wrote them.

inline std::uint16_t LittleU16(const void* at) {
  const auto* p = static_cast<const unsigned char*>(at);
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t LittleU32(const void* at) {
  const auto* p = static_cast<const unsigned char*>(at);
  return static_cast<std::uint32_t>(p[0]) |
         (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) |
         (static_cast<std::uint32_t>(p[3]) << 24);
}

inline double LittleF64(const void* at) {
  const auto* p = static_cast<const unsigned char*>(at);
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace kestrilo
