// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/model/cell_style.h"

namespace kestrilo {

/// The distinct cell styles of a workbook and their number format codes.
/// Each cell keeps a small index into it (see Sheet): index 0 is the
/// default style, and format 0 is "General".
///
/// Readers add styles while reading, mapping their own style records (xlsx
/// cellXfs, xls XF records, ods automatic cell styles) to indices once;
/// equal styles share one index, so the table stays as small as the
/// workbook's distinct looks.
class StyleTable {
 public:
  /// More distinct styles or formats than any workbook has (Excel allows
  /// 64,000 styles): a file that claims more is refused.
  static constexpr std::size_t kMaxEntries = 1u << 20;

  StyleTable();

  /// The index of a number format code, added when new. Throws
  /// std::length_error beyond kMaxEntries.
  std::uint32_t AddFormat(std::string_view code);
  /// The index of `style`, added when new. Throws std::length_error beyond
  /// kMaxEntries.
  std::uint32_t Add(const CellStyle& style);

  /// The style at `index`; the default style for an index not in the table.
  const CellStyle& style(std::uint32_t index) const {
    return index < styles_.size() ? styles_[index] : styles_.front();
  }
  /// The format code at `format`; "General" for an index not in the table.
  const std::string& format_code(std::uint32_t format) const {
    return format < formats_.size() ? formats_[format] : formats_.front();
  }
  std::size_t size() const { return styles_.size(); }
  std::size_t format_count() const { return formats_.size(); }

 private:
  struct StyleHash {
    std::size_t operator()(const CellStyle& style) const;
  };
  struct CodeHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view code) const {
      return std::hash<std::string_view>()(code);
    }
  };

  std::vector<CellStyle> styles_;
  std::unordered_map<CellStyle, std::uint32_t, StyleHash> style_index_;
  std::vector<std::string> formats_;
  std::unordered_map<std::string, std::uint32_t, CodeHash, std::equal_to<>>
      format_index_;
};

}  // namespace kestrilo
