// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>

namespace kestrilo {

/// The characters (Unicode code points) of a UTF-8 text: what a cell's
/// width in characters is measured against.
int CharacterCount(std::string_view text);

/// Whether a rendered number or date fits a column `width` characters wide.
/// A grid shows "###" for one that doesn't (texts spill over instead).
bool FitsInWidth(std::string_view text, int width);

}  // namespace kestrilo
