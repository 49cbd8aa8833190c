// SPDX-License-Identifier: MIT

#include "engine/model/style_table.h"

#include <stdexcept>

namespace kestrilo {

namespace {

std::size_t Mix(std::size_t hash, std::size_t value) {
  return hash ^ (value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2));
}

}  // namespace

StyleTable::StyleTable() {
  AddFormat("General");
  Add(CellStyle());
}

std::size_t StyleTable::StyleHash::operator()(const CellStyle& style) const {
  std::size_t hash = style.format;
  hash = Mix(hash, style.font_color);
  hash = Mix(hash, style.fill_color);
  hash = Mix(hash, static_cast<std::size_t>(style.bold) |
                       static_cast<std::size_t>(style.italic) << 1 |
                       static_cast<std::size_t>(style.underline) << 2 |
                       static_cast<std::size_t>(style.horizontal) << 5 |
                       static_cast<std::size_t>(style.vertical) << 9 |
                       static_cast<std::size_t>(style.wrap) << 12);
  return hash;
}

std::uint32_t StyleTable::AddFormat(std::string_view code) {
  if (const auto it = format_index_.find(code); it != format_index_.end()) {
    return it->second;
  }
  if (formats_.size() >= kMaxEntries) {
    throw std::length_error("more than " + std::to_string(kMaxEntries) +
                            " number formats");
  }
  const auto index = static_cast<std::uint32_t>(formats_.size());
  formats_.emplace_back(code);
  format_index_.emplace(formats_.back(), index);
  return index;
}

std::uint32_t StyleTable::Add(const CellStyle& style) {
  if (const auto it = style_index_.find(style); it != style_index_.end()) {
    return it->second;
  }
  if (styles_.size() >= kMaxEntries) {
    throw std::length_error("more than " + std::to_string(kMaxEntries) +
                            " cell styles");
  }
  const auto index = static_cast<std::uint32_t>(styles_.size());
  styles_.push_back(style);
  style_index_.emplace(style, index);
  return index;
}

}  // namespace kestrilo
