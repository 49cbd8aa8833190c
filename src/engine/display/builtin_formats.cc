// SPDX-License-Identifier: MIT

#include "engine/display/builtin_formats.h"

#include <array>

namespace kestrilo {

namespace {

// Ids 0 to 58. The file format's description writes 14 "mm-dd-yy", 22
// "m/d/yy h:mm", 37 "#,##0 ;(#,##0)" (and 38 to 40 alike) and 47 "mmss.0";
// Excel shows them as below. 23 to 26 are defined by no version and show
// General.
constexpr std::array<std::string_view, 59> kCodes = {
    "General",
    "0",
    "0.00",
    "#,##0",
    "#,##0.00",
    R"("$"#,##0_);\("$"#,##0\))",
    R"("$"#,##0_);[Red]\("$"#,##0\))",
    R"("$"#,##0.00_);\("$"#,##0.00\))",
    R"("$"#,##0.00_);[Red]\("$"#,##0.00\))",
    "0%",
    "0.00%",
    "0.00E+00",
    "# ?/?",
    "# ?\?/??",  // "\?": "??/" would read as a trigraph
    "m/d/yyyy",
    "d-mmm-yy",
    "d-mmm",
    "mmm-yy",
    "h:mm AM/PM",
    "h:mm:ss AM/PM",
    "h:mm",
    "h:mm:ss",
    "m/d/yyyy h:mm",
    "General",
    "General",
    "General",
    "General",
    "yyyy-mm-dd",  // 27 to 36: East Asian dates and times
    "yyyy-mm-dd",
    "yyyy-mm-dd",
    "yyyy-mm-dd",
    "yyyy-mm-dd",
    "h:mm",
    "h:mm:ss",
    "h:mm",
    "h:mm:ss",
    "yyyy-mm-dd",
    "#,##0_);(#,##0)",
    "#,##0_);[Red](#,##0)",
    "#,##0.00_);(#,##0.00)",
    "#,##0.00_);[Red](#,##0.00)",
    R"(_(* #,##0_);_(* \(#,##0\);_(* "-"_);_(@_))",
    R"(_("$"* #,##0_);_("$"* \(#,##0\);_("$"* "-"_);_(@_))",
    R"(_(* #,##0.00_);_(* \(#,##0.00\);_(* "-"??_);_(@_))",
    R"(_("$"* #,##0.00_);_("$"* \(#,##0.00\);_("$"* "-"??_);_(@_))",
    "mm:ss",
    "[h]:mm:ss",
    "mm:ss.0",
    "##0.0E+0",
    "@",
    "yyyy-mm-dd",  // 50 to 58: East Asian dates and times
    "yyyy-mm-dd",
    "yyyy-mm-dd",
    "yyyy-mm-dd",
    "yyyy-mm-dd",
    "h:mm",
    "h:mm:ss",
    "yyyy-mm-dd",
    "yyyy-mm-dd",
};

}  // namespace

std::string_view BuiltinFormatCode(int id) {
  if (id < 0 || id >= static_cast<int>(kCodes.size())) return {};
  return kCodes[id];
}

}  // namespace kestrilo
