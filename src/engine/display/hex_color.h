// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrilo {

/// A colour written in hexadecimal digits, as 0xFFRRGGBB: "RRGGBB", or
/// "AARRGGBB" as xlsx writes it (the alpha is dropped: Excel draws every
/// colour opaque), after an optional "#" as ods writes it. Nothing for
/// anything else.
std::optional<std::uint32_t> ParseHexColor(std::string_view text);

}  // namespace kestrilo
