// SPDX-License-Identifier: MIT

#pragma once

#include <optional>
#include <vector>

#include "engine/model/sheet_layout.h"

class QHeaderView;

namespace kestrilo::gui {

/// A default Excel column (8.43 characters, 64 pixels at 96 dpi) and row.
inline constexpr float kDefaultColumnPoints = 48.0F;
inline constexpr float kDefaultRowPoints = 15.0F;

/// Pixels for a size in points on a screen of `dpi` logical dots per inch;
/// at least one, so that a shown column never vanishes.
int PointsToPixels(float points, double dpi);

/// Gives sections `first` to `last` (0-based) of `header` the sizes and
/// visibility that `spans` (1-based, sizes in points) state; sections no
/// span sizes keep the header's default size. Signals and updates are held
/// back meanwhile: a header resizing one section at a time would recount
/// every section's position each time.
void ApplySpans(QHeaderView& header,
                const std::vector<SheetLayout::Span>& spans, double dpi,
                int first, int last);

}  // namespace kestrilo::gui
