// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>

namespace kestrilo {

/// The order in which a folder scan takes the names of one folder, as file
/// managers show them: letters without regard to case (ASCII), runs of
/// digits by their value ("file2" before "file10"), and names that differ
/// only there (case, leading zeros) by their bytes, so the order is total.
/// Names are bytes: any that are not UTF-8 sort by their bytes as well.
bool NaturalNameLess(std::string_view a, std::string_view b);

}  // namespace kestrilo
