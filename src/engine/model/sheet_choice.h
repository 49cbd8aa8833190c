// SPDX-License-Identifier: MIT

#pragma once

#include <optional>
#include <string>

#include "engine/model/workbook.h"

namespace kestrilo {

/// Which sheet of a workbook to read: by name, by 1-based number, or the
/// active one when neither is given.
struct SheetChoice {
  /// Compared as sheet names are (SameSheetName).
  std::string name;
  std::optional<int> number;

  /// The sheet at `index` (0-based).
  static SheetChoice AtIndex(int index) { return {{}, index + 1}; }

  /// The index of the sheet chosen among `workbook`'s sheets, whose active
  /// sheet counts when nothing else is asked; nothing when there is none.
  std::optional<int> Find(const Workbook& workbook) const;

  /// Why there is no such sheet in a workbook of `sheet_count` sheets:
  /// "no sheet named 'Nope'", "no sheet number 4 (the workbook has 3)".
  std::string MissingReason(int sheet_count) const;
};

}  // namespace kestrilo
