#pragma once

#include <string>
#include <string_view>

#include "cli/workbook_conversion.h"
#include "engine/model/workbook.h"

namespace kestrilo::cli {

/// True when `text` can only be a defined name or table name: it is no
/// address, and it is a name as spreadsheet applications spell them
/// ("Prices", "_total.2024"), perhaps after a sheet ("Other!Prices",
/// "'My Sheet'!Prices") for the name of that sheet.
bool IsBlockName(std::string_view text);

/// The settings for `workbook` with a --range NAME turned into the name's
/// block (a table's with its header rows) and its sheet; the settings as
/// they are when the range is an address or empty. A name is looked up as
/// the sheet of --sheet, or the active one, sees it: a name of that sheet
/// wins over one of the workbook. Throws std::runtime_error naming the
/// name, and the reason when it stands for no block, when the workbook
/// has no such usable name.
ConversionSettings WithNamedBlock(const Workbook& workbook,
                                  const ConversionSettings& settings);

/// How a listing names a name: `name "Prices"`, `name "Prices" of sheet
/// "Other"`, `table "Orders"`.
std::string DescribeName(const Workbook& workbook, const BlockName& name);

}  // namespace kestrilo::cli
