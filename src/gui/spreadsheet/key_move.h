// SPDX-License-Identifier: MIT

#pragma once

#include <Qt>
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/model/block_geometry.h"

namespace kestrilo::gui {

/// A cell position on a sheet, 1-based.
struct CellPosition {
  std::int32_t row = 1;
  std::int32_t column = 1;
  bool operator==(const CellPosition&) const = default;
};

/// Where a key moves the grid's cursor, as in spreadsheets.
struct KeyMove {
  CellPosition to;
  /// The selection grows to `to` (shift) instead of moving there.
  bool extend = false;
};

/// The sheet as the keys see it: its filled part, and whether a cell of it
/// holds a value.
struct KeySheet {
  BlockGeometry used{1, 1, 1, 1};
  std::function<bool(std::int32_t row, std::int32_t column)> filled;
};

/// The move for `key` with `modifiers` from `from` (the far corner with
/// shift, the active cell without), or nothing for a key that moves
/// nothing. Ctrl+arrows jump as in spreadsheets: from a filled cell beside
/// another to the end of the filled run, else to the next filled cell, else
/// to the sheet's edge. A page is `page` rows. The result may lie outside
/// the sheet: the caller clamps it.
std::optional<KeyMove> MoveForKey(int key, Qt::KeyboardModifiers modifiers,
                                  CellPosition from, CellPosition active,
                                  const KeySheet& sheet, int page);

}  // namespace kestrilo::gui
