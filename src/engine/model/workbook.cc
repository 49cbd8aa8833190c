#include "engine/model/workbook.h"

#include <algorithm>
#include <cctype>
#include <limits>

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
  auto lower = [](unsigned char c) { return std::tolower(c); };
  for (int i = 0; i < sheet_count(); ++i) {
    const std::string& candidate = sheets_[i]->name();
    if (std::equal(candidate.begin(), candidate.end(), name.begin(), name.end(),
                   [&](char a, char b) { return lower(a) == lower(b); })) {
      return i;
    }
  }
  return -1;
}

void Workbook::set_active_sheet(int index) {
  if (index >= 0 && index < sheet_count()) active_sheet_ = index;
}

}  // namespace kestrilo
