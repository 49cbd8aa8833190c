// SPDX-License-Identifier: MIT

#include "engine/reading/zip/recycling_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace kestrilo {
namespace {

char PatternAt(std::size_t offset) {
  return static_cast<char>((offset * 2654435761u) >> 24);
}

// Where the first byte of [from, to) differs from the pattern, or `to`.
std::size_t FirstWrong(const char* data, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (data[i] != PatternAt(i)) return i;
  }
  return to;
}

// A writer fills the buffer front to back while a reader checks what is
// written and gives it back behind itself, now and then keeping a few bytes
// (as a parser keeps the names of open elements): whatever memory moves,
// no byte still in use changes, and the bytes kept stay as written.
TEST(RecyclingBufferTest, BytesInUseNeverChangeWhileMemoryMoves) {
  for (const std::size_t size : {std::size_t{3} << 20, std::size_t{41} << 20,
                                 (std::size_t{64} << 20) + 5}) {
    SCOPED_TRACE("size " + std::to_string(size));
    std::mt19937 random(static_cast<std::uint32_t>(size));
    RecyclingBuffer buffer(size);
    std::vector<std::pair<std::size_t, std::size_t>> kept;
    std::size_t written = 0;
    std::size_t read = 0;
    std::size_t released = 0;
    while (read < size) {
      // The writer runs up to 8 MB ahead, a chunk of up to a megabyte at a
      // time.
      while (written < size && written < read + (std::size_t{8} << 20)) {
        const std::size_t chunk =
            std::min<std::size_t>(size - written, 1 + random() % (1 << 20));
        for (std::size_t i = written; i < written + chunk; ++i) {
          buffer.data()[i] = PatternAt(i);
        }
        written += chunk;
      }
      const std::size_t step =
          std::min<std::size_t>(written - read, 1 + random() % (3 << 20));
      ASSERT_EQ(FirstWrong(buffer.data(), read, read + step), read + step);
      read += step;
      std::size_t from = released;
      if (random() % 8 == 0 && read - released > 200) {
        kept.emplace_back(released, released + 100);
        from = released + 100;
      }
      buffer.Release(from, read, written);
      released = read;
    }
    for (const auto& [begin, end] : kept) {
      EXPECT_EQ(FirstWrong(buffer.data(), begin, end), end)
          << "kept bytes from " << begin << " changed";
    }
  }
}

}  // namespace
}  // namespace kestrilo
