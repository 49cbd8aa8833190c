// SPDX-License-Identifier: MIT

#include "engine/model/sheet.h"

#include <gtest/gtest.h>

#include "engine/model/workbook.h"

namespace kestrilo {
namespace {

TEST(SheetTest, KeepsTypedValuesAndUsedRange) {
  Workbook workbook("book.xlsx", "xlsx");
  Sheet& sheet = workbook.AddSheet("Data", false);
  sheet.SetText(2, 2, "Fruit");
  sheet.SetNumber(3, 3, 1.5);
  sheet.SetBoolean(4, 2, true);
  sheet.SetDateTime(4, 4, 44439.5, false);
  sheet.SetError(3, 4, "#DIV/0!");
  sheet.Finish();

  EXPECT_EQ(sheet.Cell(2, 2).text, "Fruit");
  EXPECT_EQ(sheet.Cell(3, 3).number, 1.5);
  EXPECT_EQ(sheet.Cell(4, 2).kind, CellKind::kBoolean);
  EXPECT_EQ(sheet.Cell(4, 4).kind, CellKind::kDateTime);
  EXPECT_TRUE(sheet.Cell(3, 4).is_error());
  EXPECT_EQ(sheet.Cell(3, 4).text, "#DIV/0!");
  EXPECT_TRUE(sheet.Cell(1, 1).is_empty());
  EXPECT_TRUE(sheet.Cell(3, 2).is_empty());
  EXPECT_TRUE(sheet.Cell(100, 4).is_empty());
  EXPECT_EQ(sheet.UsedRange(), (BlockGeometry{2, 3, 2, 3}));
}

TEST(SheetTest, CellsInAnyOrderAndLaterValueWins) {
  Workbook workbook("book.ods", "ods");
  Sheet& sheet = workbook.AddSheet("S", true);
  sheet.SetNumber(kMaxRows, kMaxColumns, 9);
  sheet.SetNumber(5, 1, 1);
  sheet.SetNumber(1, 7, 2);
  sheet.SetNumber(5, 1, 3);
  sheet.Finish();

  EXPECT_EQ(sheet.cell_count(), 3u);
  EXPECT_EQ(sheet.Cell(5, 1).number, 3);
  EXPECT_EQ(sheet.Cell(kMaxRows, kMaxColumns).number, 9);
  EXPECT_EQ(sheet.UsedRange(), (BlockGeometry{1, kMaxRows, 1, kMaxColumns}));
  EXPECT_TRUE(sheet.hidden());
}

TEST(SheetTest, EmptySheetHasNoUsedRangeAndRefusesCellsOutsideLimits) {
  Workbook workbook("book.csv", "csv");
  Sheet& sheet = workbook.AddSheet("S", false);
  EXPECT_THROW(sheet.SetNumber(0, 1, 1), std::out_of_range);
  EXPECT_THROW(sheet.SetNumber(1, kMaxColumns + 1, 1), std::out_of_range);
  sheet.Finish();
  EXPECT_FALSE(sheet.UsedRange().has_value());
  EXPECT_TRUE(sheet.Cell(1, 1).is_empty());
}

TEST(WorkbookTest, FindsSheetsWithoutRegardToCase) {
  Workbook workbook("book.xlsx", "xlsx");
  workbook.AddSheet("Sheet1", false);
  workbook.AddSheet("My Sheet", false);
  EXPECT_EQ(workbook.FindSheet("my sheet"), 1);
  EXPECT_EQ(workbook.FindSheet("Sheet2"), -1);
  workbook.set_active_sheet(5);
  EXPECT_EQ(workbook.active_sheet(), 0);
}

}  // namespace
}  // namespace kestrilo
