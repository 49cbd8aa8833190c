// SPDX-License-Identifier: MIT

#include "engine/input/reading_tally.h"

#include <atomic>

namespace kestrilo {

namespace {

std::atomic<std::uint64_t> opens_counted{0};
std::atomic<std::uint64_t> bytes_inflated{0};

}  // namespace

void ReadingTally::CountOpen() {
  opens_counted.fetch_add(1, std::memory_order_relaxed);
}

void ReadingTally::CountInflated(std::uint64_t bytes) {
  bytes_inflated.fetch_add(bytes, std::memory_order_relaxed);
}

std::uint64_t ReadingTally::opens() { return opens_counted.load(); }

std::uint64_t ReadingTally::inflated() { return bytes_inflated.load(); }

void ReadingTally::Reset() {
  opens_counted = 0;
  bytes_inflated = 0;
}

}  // namespace kestrilo
