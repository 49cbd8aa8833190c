// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>

namespace kestrilo {

/// The format code of a built-in number format id of xlsx and xls, as
/// Excel (English, United States) shows it: 0 is "General", 14 "m/d/yyyy",
/// 46 "[h]:mm:ss", 49 "@". The East Asian date and time ids (27 to 36, 50
/// to 58), whose codes depend on the language, give ISO dates and 24-hour
/// times. Empty for an id no version defines; such a cell shows General.
std::string_view BuiltinFormatCode(int id);

}  // namespace kestrilo
