// SPDX-License-Identifier: MIT

#pragma once

#include <stdexcept>
#include <string>

#include "engine/model/block_name.h"

namespace kestrilo {

/// What a user typed for a block names no block: a sheet, name or table
/// the workbook lacks, a name that stands for no block, or a malformed
/// address. The message is complete without the workbook's name.
class BlockError : public std::runtime_error {
 public:
  explicit BlockError(const std::string& message,
                      const BlockName* unusable_name = nullptr)
      : std::runtime_error(message), unusable_name_(unusable_name) {}

  /// The name the text found when that name stands for no block (a formula,
  /// several areas ...), so that a front end can say why; null otherwise.
  const BlockName* unusable_name() const { return unusable_name_; }

 private:
  const BlockName* unusable_name_;
};

}  // namespace kestrilo
