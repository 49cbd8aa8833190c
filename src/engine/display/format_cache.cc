// SPDX-License-Identifier: MIT

#include "engine/display/format_cache.h"

#include "engine/display/builtin_formats.h"

namespace kestrilo {

const CompiledFormat& FormatCache::Get(std::string_view code) {
  auto it = formats_.find(code);
  if (it == formats_.end()) {
    it = formats_
             .emplace(std::string(code), std::make_unique<CompiledFormat>(code))
             .first;
  }
  return *it->second;
}

const CompiledFormat& FormatCache::Builtin(int id) {
  const std::string_view code = BuiltinFormatCode(id);
  return Get(code.empty() ? "General" : code);
}

}  // namespace kestrilo
