// SPDX-License-Identifier: MIT

#pragma once

#include <stdexcept>
#include <string>

namespace kestrilo {

/// A cell address that cannot be parsed, or that names no cells.
class AddressError : public std::runtime_error {
 public:
  explicit AddressError(const std::string& message)
      : std::runtime_error(message) {}
};

}  // namespace kestrilo
