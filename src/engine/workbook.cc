#include "engine/workbook.h"

#include <algorithm>
#include <cctype>

namespace kestrilo {

Workbook::Workbook(std::string path, std::string format)
    : path_(std::move(path)),
      format_(std::move(format)),
      strings_(std::make_unique<StringPool>()) {}

Sheet& Workbook::AddSheet(std::string name, bool hidden) {
  sheets_.push_back(
      std::make_unique<Sheet>(std::move(name), hidden, strings_.get()));
  return *sheets_.back();
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
