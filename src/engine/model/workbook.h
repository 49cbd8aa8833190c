// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/input/reader_budget.h"
#include "engine/model/block_name.h"
#include "engine/model/sheet.h"
#include "engine/model/string_pool.h"
#include "engine/model/style_table.h"

namespace kestrilo {

/// A workbook as our readers deliver it: its sheets in workbook order
/// (hidden ones included), which one is active, and the texts they share.
class Workbook {
 public:
  /// `path` is the file it was read from; `format` a short name such as
  /// "xlsx", "ods", "xls" or "csv".
  Workbook(std::string path, std::string format);
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  const std::string& path() const { return path_; }
  const std::string& format() const { return format_; }

  Sheet& AddSheet(std::string name, bool hidden);
  int sheet_count() const { return static_cast<int>(sheets_.size()); }
  const Sheet& sheet(int index) const { return *sheets_.at(index); }
  Sheet& sheet(int index) { return *sheets_.at(index); }
  /// The index of the sheet with this name (compared without regard to
  /// ASCII letter case, as spreadsheet applications do), or -1.
  int FindSheet(std::string_view name) const;

  /// The sheet the file marks as active; the first one otherwise.
  int active_sheet() const { return active_sheet_; }
  void set_active_sheet(int index);

  /// Texts shared by the sheets' cells (shared strings of xlsx and so on).
  StringPool& strings() { return *strings_; }
  const StringPool& strings() const { return *strings_; }

  /// The cell styles the sheets' cells index; only the default style for a
  /// reader that keeps none.
  StyleTable& styles() { return styles_; }
  const StyleTable& styles() const { return styles_; }

  /// What reading the file has used of the limits; the sheets and texts
  /// charge their cells to it.
  ReaderBudget& budget() { return budget_; }

  /// Formula cells that carry no cached value and so read as empty; the
  /// count stops at the largest int.
  int formulas_without_value() const { return formulas_without_value_; }
  void CountFormulaWithoutValue() { CountFormulasWithoutValue(1); }
  void CountFormulasWithoutValue(std::int64_t cells);

  /// The defined names and tables of the file, usable or not, in the order
  /// the file lists them.
  const std::vector<BlockName>& names() const { return names_; }
  void AddName(BlockName name) { names_.push_back(std::move(name)); }
  /// The name or table `name` means on sheet `sheet_index` (letter case
  /// does not matter): a name of that sheet wins over one of the workbook,
  /// as spreadsheet applications resolve them. Null when there is none.
  /// The result may be unusable; the caller says why.
  const BlockName* FindName(std::string_view name, int sheet_index) const;

 private:
  std::string path_;
  std::string format_;
  ReaderBudget budget_;
  std::unique_ptr<StringPool> strings_;
  std::vector<std::unique_ptr<Sheet>> sheets_;
  StyleTable styles_;
  std::vector<BlockName> names_;
  int active_sheet_ = 0;
  int formulas_without_value_ = 0;
};

}  // namespace kestrilo
