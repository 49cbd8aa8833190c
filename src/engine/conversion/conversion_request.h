// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>

#include "engine/conversion/output_budget.h"
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
  /// The most bytes of XML the workbook may give; 0 for no limit. A block
  /// whose least XML is larger is refused before anything is written, and
  /// a text that grows beyond it stops there (OutputBudgetExceeded).
  std::uint64_t max_output_bytes = kDefaultMaxOutput;
};

}  // namespace kestrilo
