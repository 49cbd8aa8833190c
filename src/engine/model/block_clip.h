// SPDX-License-Identifier: MIT

#pragma once

#include <optional>
#include <vector>

#include "engine/model/block_geometry.h"

namespace kestrilo {

/// Whether two blocks share at least one cell.
bool Overlaps(const BlockGeometry& a, const BlockGeometry& b);

/// The cells two overlapping blocks share.
BlockGeometry Intersection(const BlockGeometry& a, const BlockGeometry& b);

/// Whether a block spans whole rows (every column), whole columns (every
/// row) or the whole sheet.
bool SpansWholeLines(const BlockGeometry& block);

/// The block a selection stands for when converted. Whole rows, whole
/// columns and the whole sheet stand for their part inside `used` (the
/// sheet's used range), and for nothing when that part is empty; any other
/// block stands for itself, filled or not.
std::optional<BlockGeometry> ClipToUsedRange(
    const BlockGeometry& block, const std::optional<BlockGeometry>& used);

/// The smallest block holding `block` and every merged area it touches
/// (`merged` sorted by first row), as spreadsheets grow a selection that
/// reaches into a merged area.
BlockGeometry WithMergedAreas(BlockGeometry block,
                              const std::vector<BlockGeometry>& merged);

}  // namespace kestrilo
