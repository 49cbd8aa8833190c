// SPDX-License-Identifier: MIT

#include "engine/display/style_formats.h"

namespace kestrilo {

StyleFormats::StyleFormats(const StyleTable& table) : table_(&table) {
  formats_.reserve(table.format_count());
  for (std::uint32_t i = 0; i < table.format_count(); ++i) {
    formats_.emplace_back(table.format_code(i));
  }
}

const CompiledFormat& StyleFormats::ForStyle(std::uint32_t style_index) const {
  const std::uint32_t format = table_->style(style_index).format;
  return format < formats_.size() ? formats_[format] : formats_.front();
}

}  // namespace kestrilo
