// SPDX-License-Identifier: MIT

#include "engine/model/string_pool.h"

#include <cstring>
#include <stdexcept>

namespace kestrilo {

namespace {
constexpr std::size_t kBlockSize = 1 << 20;
}

std::uint32_t StringPool::Add(std::string_view text) {
  if (size_ >= UINT32_MAX) throw std::length_error("too many texts");
  if (budget_ != nullptr) budget_->ChargeText(text.size());
  if (text.empty()) {
    return AddView({});
  }
  if (text.size() > block_capacity_ - block_used_) {
    // Large texts get a block of their own; the current block stays open.
    if (text.size() >= kBlockSize / 4) {
      blocks_.push_back(std::make_unique<char[]>(text.size()));
      std::memcpy(blocks_.back().get(), text.data(), text.size());
      const std::string_view view(blocks_.back().get(), text.size());
      if (blocks_.size() > 1)
        std::swap(blocks_.back(), blocks_[blocks_.size() - 2]);
      return AddView(view);
    }
    blocks_.push_back(std::make_unique<char[]>(kBlockSize));
    block_used_ = 0;
    block_capacity_ = kBlockSize;
  }
  char* place = blocks_.back().get() + block_used_;
  std::memcpy(place, text.data(), text.size());
  block_used_ += text.size();
  return AddView(std::string_view(place, text.size()));
}

std::uint32_t StringPool::AddView(std::string_view view) {
  const auto index = static_cast<std::uint32_t>(size_);
  if ((index & kViewMask) == 0) {
    views_.push_back(std::make_unique<std::string_view[]>(kViewMask + 1));
  }
  views_.back()[index & kViewMask] = view;
  ++size_;
  return index;
}

}  // namespace kestrilo
