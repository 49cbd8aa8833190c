// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/model/cell_value.h"
#include "engine/model/sheet_layout.h"

namespace kestrilo {

/// A cell of an OpenDocument row with a value, repeated over `count`
/// columns from `column`. Its text is what OdsTableTarget::KeepText gave;
/// its style an index into the workbook's StyleTable.
struct OdsCell {
  std::int32_t column;
  std::int32_t count;
  CellKind kind;
  bool time_only;
  std::uint32_t style;
  double number;
  std::uint32_t text;
};

/// Where the cells of one table of content.xml go as they are read: into
/// a sheet of the model, or row by row to a RowSink.
class OdsTableTarget {
 public:
  virtual ~OdsTableTarget() = default;

  /// Room for about `cells` cells, a hint for large tables.
  virtual void Reserve(std::size_t /*cells*/) {}
  /// Keeps `text`, the value (or error code) of a cell of the row being
  /// read, until the row has been added; returns what finds it again.
  virtual std::uint32_t KeepText(std::string_view text) = 0;
  /// Takes the cells of the row just read, which fills each of the rows
  /// `first` to `last` (the row repeated): sorted by column, not
  /// overlapping, none empty.
  virtual void AddRows(std::int32_t first, std::int32_t last,
                       std::span<const OdsCell> cells) = 0;
  /// Where the widths, heights and merged areas go; null when they are
  /// not wanted.
  virtual SheetLayout* layout() = 0;
};

}  // namespace kestrilo
