// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

namespace kestrilo {

/// What the readers have read in this process: how often a workbook file
/// was opened, and how many bytes were inflated from zip packages. Tests
/// and benchmarks read it to show that a conversion reads nothing twice.
class ReadingTally {
 public:
  static void CountOpen();
  static void CountInflated(std::uint64_t bytes);

  static std::uint64_t opens();
  static std::uint64_t inflated();
  /// Starts both counts again from zero.
  static void Reset();
};

}  // namespace kestrilo
