// SPDX-License-Identifier: MIT

#include "engine/model/block_clip.h"

#include <algorithm>

namespace kestrilo {

bool Overlaps(const BlockGeometry& a, const BlockGeometry& b) {
  return a.first_row <= b.last_row() && b.first_row <= a.last_row() &&
         a.first_column <= b.last_column() && b.first_column <= a.last_column();
}

BlockGeometry Intersection(const BlockGeometry& a, const BlockGeometry& b) {
  BlockGeometry both;
  both.first_row = std::max(a.first_row, b.first_row);
  both.first_column = std::max(a.first_column, b.first_column);
  both.row_count = std::min(a.last_row(), b.last_row()) - both.first_row + 1;
  both.column_count =
      std::min(a.last_column(), b.last_column()) - both.first_column + 1;
  return both;
}

bool SpansWholeLines(const BlockGeometry& block) {
  const bool whole_columns =
      block.first_row == 1 && block.row_count == kMaxRows;
  const bool whole_rows =
      block.first_column == 1 && block.column_count == kMaxColumns;
  return whole_columns || whole_rows;
}

std::optional<BlockGeometry> ClipToUsedRange(
    const BlockGeometry& block, const std::optional<BlockGeometry>& used) {
  // A million empty rows are of no use to anyone: whole lines mean their
  // filled part, as a script or a user selecting column headers means them.
  if (!SpansWholeLines(block)) return block;
  if (!used || !Overlaps(block, *used)) return std::nullopt;
  return Intersection(block, *used);
}

BlockGeometry WithMergedAreas(BlockGeometry block,
                              const std::vector<BlockGeometry>& merged) {
  // Each area taken in may reach others: repeat until none is added.
  for (bool grown = !merged.empty(); grown;) {
    grown = false;
    for (const BlockGeometry& area : merged) {
      if (area.first_row > block.last_row()) break;
      if (!Overlaps(area, block)) continue;
      BlockGeometry both;
      both.first_row = std::min(block.first_row, area.first_row);
      both.first_column = std::min(block.first_column, area.first_column);
      both.row_count =
          std::max(block.last_row(), area.last_row()) - both.first_row + 1;
      both.column_count = std::max(block.last_column(), area.last_column()) -
                          both.first_column + 1;
      if (both != block) {
        block = both;
        grown = true;
      }
    }
  }
  return block;
}

}  // namespace kestrilo
