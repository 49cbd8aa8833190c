// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/model/block_geometry.h"

namespace kestrilo {

/// A parsed A1 address: an optional sheet name and one or more areas.
struct RangeAddress {
  /// The sheet the address names ('My Sheet'!B2:D4), or empty.
  std::string sheet;
  /// The areas in the order written; never empty after parsing.
  std::vector<BlockGeometry> areas;
};

/// Parses an address as spreadsheet applications write it: "$B$2:$D$4",
/// "B2", "'My Sheet'!B2:D4", whole columns "$A:$C", whole rows "$2:$5",
/// several areas joined by ",". Letter case and "$" do not matter. Throws
/// AddressError naming what is wrong.
RangeAddress ParseAddress(std::string_view text);

/// Whether ParseAddress accepts `text`.
bool IsAddress(std::string_view text);

/// The absolute form of one area: "$B$2:$D$4", "$B$2" for one cell,
/// "$A:$C" for whole columns, "$2:$5" for whole rows.
std::string FormatArea(const BlockGeometry& area);

/// The absolute form of several areas joined by ",".
std::string FormatAddress(const std::vector<BlockGeometry>& areas);

}  // namespace kestrilo
