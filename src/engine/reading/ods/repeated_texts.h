// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/model/string_pool.h"

namespace kestrilo {

/// Adds cell texts to a workbook's pool so that a text met again gets the
/// index it already has. OpenDocument has no shared strings: a column of
/// a few categories repeated a million times would otherwise cost a copy
/// and a view per cell.
///
/// It remembers the last text of each of a fixed number of hash buckets,
/// not every text: its memory stays small and constant, workbooks of
/// unique texts pay nothing for it, and the few distinct values that fill
/// most columns are all found.
class RepeatedTexts {
 public:
  explicit RepeatedTexts(StringPool& pool);
  RepeatedTexts(const RepeatedTexts&) = delete;
  RepeatedTexts& operator=(const RepeatedTexts&) = delete;

  /// The index of `text` in the pool, added there unless it was met
  /// recently.
  std::uint32_t Add(std::string_view text);

 private:
  StringPool& pool_;
  std::vector<std::uint32_t> buckets_;
};

}  // namespace kestrilo
