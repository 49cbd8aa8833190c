// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <vector>

#include "engine/display/compiled_format.h"
#include "engine/model/style_table.h"

namespace kestrilo {

/// The compiled number format of every style of a workbook's StyleTable,
/// each format code compiled once: what a grid or an "as displayed" writer
/// renders a cell with. Build it once the workbook is read; it keeps a
/// pointer to the table, which must outlive it.
class StyleFormats {
 public:
  explicit StyleFormats(const StyleTable& table);

  /// The format of the style at `style_index`; General for an index
  /// outside the table.
  const CompiledFormat& ForStyle(std::uint32_t style_index) const;

 private:
  const StyleTable* table_;
  std::vector<CompiledFormat> formats_;  // by the table's format index
};

}  // namespace kestrilo
