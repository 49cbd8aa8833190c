// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>
#include <vector>

#include "engine/display/format_section.h"

namespace kestrilo::format_internal {

/// Compiles a number format code into its sections (at most four; later
/// ones are ignored). Never fails: what is not understood is shown as
/// written, as spreadsheets do with unknown characters.
std::vector<Section> ParseSections(std::string_view code);

}  // namespace kestrilo::format_internal
