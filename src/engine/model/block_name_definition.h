// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>

#include "engine/model/block_name.h"
#include "engine/model/workbook.h"

namespace kestrilo {

/// Why a name the file marks as built in cannot be exported
/// ("built-in print name" for "_xlnm.Print_Area"), or empty for other
/// names. Such names are the application's own: print areas and titles,
/// filter ranges.
std::string BuiltInNameReason(std::string_view name);

/// Settles `name` from its `definition`, written in A1 style as xlsx and
/// the command line write addresses ("Data!$B$2:$D$9", "'My Sheet'!A1"):
/// one area of one sheet of `workbook` sets its sheet and block; anything
/// else sets `unusable_reason` (a formula, a constant, several areas,
/// another workbook, a deleted reference, a missing sheet). A definition
/// without a sheet means the sheet of a sheet-level name. A reason already
/// set is kept.
void ResolveA1Definition(BlockName& name, const Workbook& workbook);

}  // namespace kestrilo
