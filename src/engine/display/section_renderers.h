// SPDX-License-Identifier: MIT

#pragma once

// Rendering of one compiled section, for CompiledFormat. Not a public
// interface.

#include <string>
#include <string_view>

#include "engine/display/format_section.h"
#include "engine/display/render_result.h"

namespace kestrilo::format_internal {

/// How a serial counts days.
enum class DateBasis {
  kSerialDay,    // days from 1899-12-30, a real calendar (model dates)
  kSpreadsheet,  // a spreadsheet serial of the 1900 system: 0 shows as
                 // 1900-01-00 and 60 as 1900-02-29
};

/// Appends a literal or fill token's text (a fill is only noted).
void AppendLiteral(const Section& section, const Token& token, std::string& out,
                   RenderResult& result);

/// Appends `magnitude` (not negative) as a number, scientific or fraction
/// section shows it; General parts get `general_width` characters. False
/// when a General part can't fit.
bool AppendNumberSection(const Section& section, double magnitude,
                         int general_width, std::string& out,
                         RenderResult& result);

/// Appends `serial` as a date and time section shows it. False when no
/// date can show it (before year 1, after 9999, or a negative elapsed or
/// spreadsheet serial).
bool AppendDateSection(const Section& section, double serial, DateBasis basis,
                       std::string& out, RenderResult& result);

}  // namespace kestrilo::format_internal
