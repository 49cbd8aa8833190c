// SPDX-License-Identifier: MIT

#pragma once

#include "engine/model/cell_style.h"
#include "engine/model/cell_value.h"

namespace kestrilo {

/// Where a cell's text goes across the cell: the style's alignment, or for
/// General what spreadsheets do by value (texts left, numbers and dates
/// right, booleans and errors centred; an empty cell left).
HorizontalAlignment ResolvedAlignment(HorizontalAlignment alignment,
                                      CellKind kind);

}  // namespace kestrilo
