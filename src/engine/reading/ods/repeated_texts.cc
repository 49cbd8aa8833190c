// SPDX-License-Identifier: MIT

#include "engine/reading/ods/repeated_texts.h"

#include <cstddef>
#include <functional>

namespace kestrilo {

namespace {
// 256 KB of buckets: far more than the distinct values of the columns that
// repeat, far less than the texts of a large sheet.
constexpr std::size_t kBuckets = std::size_t{1} << 16;
// The pool never reaches this index (it refuses its last text).
constexpr std::uint32_t kNone = UINT32_MAX;
}  // namespace

RepeatedTexts::RepeatedTexts(StringPool& pool)
    : pool_(pool), buckets_(kBuckets, kNone) {}

std::uint32_t RepeatedTexts::Add(std::string_view text) {
  std::uint32_t& bucket =
      buckets_[std::hash<std::string_view>{}(text) & (kBuckets - 1)];
  if (bucket != kNone && pool_.Get(bucket) == text) return bucket;
  bucket = pool_.Add(text);
  return bucket;
}

}  // namespace kestrilo
