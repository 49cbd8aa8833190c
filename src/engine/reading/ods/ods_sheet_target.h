// SPDX-License-Identifier: MIT

#pragma once

#include "engine/model/workbook.h"
#include "engine/reading/ods/ods_table_target.h"
#include "engine/reading/ods/repeated_texts.h"

namespace kestrilo {

/// Puts the cells of the tables read into their sheets of the model, each
/// repeated cell stored once per cell it fills, each text met again kept
/// once.
class OdsSheetTarget : public OdsTableTarget {
 public:
  explicit OdsSheetTarget(Workbook& workbook)
      : workbook_(workbook), texts_(workbook.strings()) {}

  /// The sheet the next cells go to.
  void Bind(Sheet& sheet) { sheet_ = &sheet; }

  void Reserve(std::size_t cells) override { sheet_->Reserve(cells); }
  std::uint32_t KeepText(std::string_view text) override {
    return texts_.Add(text);
  }
  void AddRows(std::int32_t first, std::int32_t last,
               std::span<const OdsCell> cells) override;
  SheetLayout* layout() override { return &sheet_->layout(); }

 private:
  void Store(std::int32_t row, std::int32_t column, const OdsCell& cell);

  Workbook& workbook_;
  RepeatedTexts texts_;
  Sheet* sheet_ = nullptr;
};

}  // namespace kestrilo
