// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace kestrilo {

/// Malformed or refused XML: the reason and the byte offset where the
/// tokenizer met it. Readers turn it into a WorkbookError naming the part.
class XmlError : public std::runtime_error {
 public:
  XmlError(std::size_t offset, const std::string& reason)
      : std::runtime_error(reason + " at byte " + std::to_string(offset)),
        offset_(offset) {}

  std::size_t offset() const { return offset_; }

 private:
  std::size_t offset_;
};

}  // namespace kestrilo
