// SPDX-License-Identifier: MIT

#include "engine/model/sheet_choice.h"

namespace kestrilo {

std::optional<int> SheetChoice::Find(const Workbook& workbook) const {
  if (!name.empty()) {
    const int index = workbook.FindSheet(name);
    if (index < 0) return std::nullopt;
    return index;
  }
  if (number) {
    if (*number < 1 || *number > workbook.sheet_count()) return std::nullopt;
    return *number - 1;
  }
  if (workbook.sheet_count() == 0) return std::nullopt;
  return workbook.active_sheet();
}

std::string SheetChoice::MissingReason(int sheet_count) const {
  if (!name.empty()) return "no sheet named '" + name + "'";
  if (number) {
    return "no sheet number " + std::to_string(*number) +
           " (the workbook has " + std::to_string(sheet_count) + ")";
  }
  return "the workbook has no sheets";
}

}  // namespace kestrilo
