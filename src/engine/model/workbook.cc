// SPDX-License-Identifier: MIT

#include "engine/model/workbook.h"

#include <algorithm>
#include <limits>

#include "engine/model/sheet_name.h"
#include "engine/text/ascii_text.h"

namespace kestrilo {

Workbook::Workbook(std::string path, std::string format)
    : path_(std::move(path)),
      format_(std::move(format)),
      budget_(path_),
      strings_(std::make_unique<StringPool>(&budget_)) {}

Sheet& Workbook::AddSheet(std::string name, bool hidden) {
  sheets_.push_back(std::make_unique<Sheet>(std::move(name), hidden,
                                            strings_.get(), &budget_));
  return *sheets_.back();
}

void Workbook::CountFormulasWithoutValue(std::int64_t cells) {
  constexpr std::int64_t kMost = std::numeric_limits<int>::max();
  formulas_without_value_ = static_cast<int>(std::min(
      kMost, formulas_without_value_ + std::max<std::int64_t>(cells, 0)));
}

int Workbook::FindSheet(std::string_view name) const {
  for (int i = 0; i < sheet_count(); ++i) {
    if (SameSheetName(sheets_[i]->name(), name)) return i;
  }
  return -1;
}

const BlockName* Workbook::FindName(std::string_view name,
                                    int sheet_index) const {
  const BlockName* workbook_level = nullptr;
  for (const BlockName& candidate : names_) {
    if (!EqualsIgnoringAsciiCase(candidate.name, name)) continue;
    if (candidate.scope_sheet == sheet_index) return &candidate;
    if (candidate.scope_sheet < 0 && !workbook_level) {
      workbook_level = &candidate;
    }
  }
  return workbook_level;
}

void Workbook::set_active_sheet(int index) {
  if (index >= 0 && index < sheet_count()) active_sheet_ = index;
}

}  // namespace kestrilo
