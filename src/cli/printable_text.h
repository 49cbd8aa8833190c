// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>

namespace kestrilo::cli {

/// `text` as a message line may show it: each control character (U+0000 to
/// U+001F, U+007F, and U+0080 to U+009F written in UTF-8) written as an
/// escape, \r, \n, \t or \xNN (\u0085 for the latter ones), so that a name
/// ending in a CR reads "Book1.xlsx\r" rather than hiding, and no name can
/// move the cursor or change the terminal. Everything else is kept.
std::string PrintableText(std::string_view text);

}  // namespace kestrilo::cli
