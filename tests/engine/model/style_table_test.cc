// SPDX-License-Identifier: MIT

#include "engine/model/style_table.h"

#include <gtest/gtest.h>

#include "engine/display/cell_alignment.h"
#include "engine/display/style_formats.h"
#include "engine/model/workbook.h"

namespace kestrilo {
namespace {

TEST(StyleTableTest, EqualStylesAndCodesShareOneIndex) {
  StyleTable table;
  EXPECT_EQ(table.size(), 1u);
  EXPECT_EQ(table.style(0), CellStyle());
  EXPECT_EQ(table.format_code(0), "General");
  EXPECT_EQ(table.AddFormat("General"), 0u);

  CellStyle percent;
  percent.format = table.AddFormat("0.00%");
  percent.bold = true;
  const std::uint32_t index = table.Add(percent);
  CellStyle same = percent;
  EXPECT_EQ(table.Add(same), index);
  same.fill_color = 0xFFFFFF00;
  EXPECT_NE(table.Add(same), index);
  EXPECT_EQ(table.Add(CellStyle()), 0u);
  EXPECT_EQ(table.AddFormat("0.00%"), percent.format);

  EXPECT_EQ(table.size(), 3u);
  EXPECT_EQ(table.format_count(), 2u);
  EXPECT_EQ(table.style(index), percent);
  // Indices a hostile file makes up read as the default.
  EXPECT_EQ(table.style(1000), CellStyle());
  EXPECT_EQ(table.format_code(1000), "General");
}

TEST(StyleTableTest, SheetKeepsEachCellsStyleWithoutGrowing) {
  Workbook workbook("book.xlsx", "xlsx");
  CellStyle red;
  red.font_color = 0xFFFF0000;
  const std::uint32_t style = workbook.styles().Add(red);
  Sheet& sheet = workbook.AddSheet("S", false);
  sheet.SetNumber(3, 1, 1.5, style);
  sheet.SetText(1, 2, "a");
  sheet.SetDateTime(2, 2, 45000, false, style);
  sheet.SetText(1, 2, "b", style);  // the later value wins, with its style
  sheet.Finish();

  EXPECT_EQ(sheet.StyleIndex(3, 1), style);
  EXPECT_EQ(sheet.StyleIndex(1, 2), style);
  EXPECT_EQ(sheet.Cell(1, 2).text, "b");
  EXPECT_EQ(sheet.StyleIndex(2, 2), style);
  EXPECT_EQ(sheet.StyleIndex(2, 1), 0u);
  EXPECT_EQ(sheet.StyleIndex(99, 1), 0u);

  Sheet& copy = workbook.AddSheet("Copy", false);
  copy.CopyFrom(sheet);
  copy.Finish();
  EXPECT_EQ(copy.StyleIndex(3, 1), style);
}

TEST(StyleFormatsTest, RendersEachCellWithItsStylesFormat) {
  StyleTable table;
  CellStyle money;
  money.format = table.AddFormat("\"$\"#,##0.00");
  const std::uint32_t money_index = table.Add(money);
  CellStyle time;
  time.format = table.AddFormat("h:mm AM/PM");
  const std::uint32_t time_index = table.Add(time);
  const StyleFormats formats(table);

  EXPECT_EQ(formats.ForStyle(money_index).Text(CellValue::Number(12.5)),
            "$12.50");
  EXPECT_EQ(formats.ForStyle(time_index)
                .Text(CellValue::DateTime(0.5729166666666666, true)),
            "1:45 PM");
  EXPECT_TRUE(formats.ForStyle(0).is_general());
  EXPECT_TRUE(formats.ForStyle(77).is_general());
}

TEST(CellAlignmentTest, GeneralAlignsByValue) {
  using H = HorizontalAlignment;
  EXPECT_EQ(ResolvedAlignment(H::kGeneral, CellKind::kText), H::kLeft);
  EXPECT_EQ(ResolvedAlignment(H::kGeneral, CellKind::kNumber), H::kRight);
  EXPECT_EQ(ResolvedAlignment(H::kGeneral, CellKind::kDateTime), H::kRight);
  EXPECT_EQ(ResolvedAlignment(H::kGeneral, CellKind::kBoolean), H::kCenter);
  EXPECT_EQ(ResolvedAlignment(H::kGeneral, CellKind::kError), H::kCenter);
  EXPECT_EQ(ResolvedAlignment(H::kCenter, CellKind::kText), H::kCenter);
}

}  // namespace
}  // namespace kestrilo
