// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/display/compiled_format.h"

namespace kestrilo {

/// Compiled formats by code, each code compiled once: a workbook has a few
/// dozen formats for its millions of cells. References stay valid as long
/// as the cache. Not safe for use from several threads at once.
class FormatCache {
 public:
  const CompiledFormat& Get(std::string_view code);
  /// A built-in format id of xlsx and xls; General for an unknown id.
  const CompiledFormat& Builtin(int id);
  std::size_t size() const { return formats_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view code) const {
      return std::hash<std::string_view>()(code);
    }
  };

  std::unordered_map<std::string, std::unique_ptr<CompiledFormat>, Hash,
                     std::equal_to<>>
      formats_;
};

}  // namespace kestrilo
