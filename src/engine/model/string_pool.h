// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/input/reader_budget.h"

namespace kestrilo {

/// Append-only storage for the texts of a workbook. Strings are packed into
/// large blocks, so a million short texts cost little more than their bytes;
/// the views it hands out stay valid for the pool's lifetime.
class StringPool {
 public:
  /// Each text added is charged to `budget` when there is one.
  explicit StringPool(ReaderBudget* budget = nullptr) : budget_(budget) {}
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;

  /// Copies `text` into the pool and returns its index.
  std::uint32_t Add(std::string_view text);
  std::string_view Get(std::uint32_t index) const {
    return views_[index >> kViewShift][index & kViewMask];
  }
  std::size_t size() const { return size_; }

 private:
  // The views are kept in chunks that never move: a growing vector would
  // hold its old and new copies at once, half again its size at the peak.
  static constexpr std::uint32_t kViewShift = 16;
  static constexpr std::uint32_t kViewMask = (1u << kViewShift) - 1;

  std::uint32_t AddView(std::string_view view);

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t block_used_ = 0;
  std::size_t block_capacity_ = 0;
  std::vector<std::unique_ptr<std::string_view[]>> views_;
  std::size_t size_ = 0;
  ReaderBudget* budget_;
};

}  // namespace kestrilo
