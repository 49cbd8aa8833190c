#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kestrilo {

/// Append-only storage for the texts of a workbook. Strings are packed into
/// large blocks, so a million short texts cost little more than their bytes;
/// the views it hands out stay valid for the pool's lifetime.
class StringPool {
 public:
  StringPool() = default;
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;

  /// Copies `text` into the pool and returns its index.
  std::uint32_t Add(std::string_view text);
  std::string_view Get(std::uint32_t index) const { return views_[index]; }
  std::size_t size() const { return views_.size(); }

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t block_used_ = 0;
  std::size_t block_capacity_ = 0;
  std::vector<std::string_view> views_;
};

}  // namespace kestrilo
