// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

// Tag names of a whole header line (or of row numbers, column letters),
// made once per block and packed into one text: a million rows cost no
// million allocations.
class TagTable {
 public:
  explicit TagTable(std::int32_t first) : first_(first) { ends_.push_back(0); }

  std::string& chars() { return chars_; }
  void EndTag() { ends_.push_back(chars_.size()); }

  std::string_view operator[](std::int32_t position) const {
    const std::size_t index = static_cast<std::size_t>(position - first_);
    return std::string_view(chars_).substr(ends_[index],
                                           ends_[index + 1] - ends_[index]);
  }

 private:
  std::int32_t first_;
  std::string chars_;
  std::vector<std::size_t> ends_;
};

}  // namespace kestrilo
