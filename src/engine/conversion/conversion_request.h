#pragma once

#include <string>

#include "engine/model/sheet_choice.h"
#include "engine/writing/export_options.h"

namespace kestrilo {

/// What a user asks of one workbook's conversion.
struct ConversionRequest {
  /// The sheet the block is seen from: the one named or numbered (the
  /// command line's --sheet), else the active one.
  SheetChoice sheet;
  /// What the user typed for the block (see ResolveBlock): an address,
  /// whole rows or columns, a defined name or table, "Sheet!Name"; empty
  /// for the used range of the sheet.
  std::string block;
  ExportOptions options;
};

}  // namespace kestrilo
