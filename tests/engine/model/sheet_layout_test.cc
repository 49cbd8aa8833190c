// SPDX-License-Identifier: MIT

#include "engine/model/sheet_layout.h"

#include <gtest/gtest.h>

#include "engine/model/excel_width.h"

namespace kestrilo {
namespace {

using Span = SheetLayout::Span;

TEST(SheetLayoutTest, LaterSpansHideWhatTheyCoverOfEarlierOnes) {
  SheetLayout layout;
  layout.AddColumns({1, 10, 20.0f, false});
  layout.AddColumns({4, 5, std::nullopt, true});
  layout.AddColumns({9, 12, 30.0f, false});
  layout.Finish();
  EXPECT_EQ(layout.columns(), (std::vector<Span>{{1, 3, 20.0f, false},
                                                 {4, 5, std::nullopt, true},
                                                 {6, 8, 20.0f, false},
                                                 {9, 12, 30.0f, false}}));
  EXPECT_EQ(layout.Column(7)->size, 20.0f);
  EXPECT_EQ(layout.Column(13), nullptr);
}

TEST(SheetLayoutTest, SpansInFileOrderStayAsTheyAre) {
  SheetLayout layout;
  for (int row = 1; row <= 1000; row += 2) {
    layout.AddRows({row, row, static_cast<float>(row), false});
  }
  layout.Finish();
  ASSERT_EQ(layout.rows().size(), 500u);
  EXPECT_EQ(layout.Row(999)->size, 999.0f);
  EXPECT_EQ(layout.Row(998), nullptr);
}

// Areas side by side, a tall one at the top left and one far down: every
// cell finds the area it is in, whichever lies above or beside it.
TEST(SheetLayoutTest, MergedAreaAtFindsTheAreaOfEveryCell) {
  SheetLayout layout;
  for (int row = 2; row <= 2000; row += 2) {
    for (int column = 3; column <= 40; column += 3) {
      layout.AddMergedArea({row, 2, column, 2});
    }
  }
  layout.AddMergedArea({1, kMaxRows, 1, 1});
  layout.AddMergedArea({kMaxRows, 1, 2, kMaxColumns - 1});
  layout.AddMergedArea({5, 0, 1, 1});  // no area: dropped
  layout.Finish();
  EXPECT_EQ(layout.merged_areas().size(), 1000u * 13 + 2);
  EXPECT_EQ(*layout.MergedAreaAt(777, 22), (BlockGeometry{776, 2, 21, 2}));
  EXPECT_EQ(*layout.MergedAreaAt(2001, 40), (BlockGeometry{2000, 2, 39, 2}));
  EXPECT_EQ(layout.MergedAreaAt(777, 23), nullptr);
  EXPECT_EQ(layout.MergedAreaAt(1, 3), nullptr);
  EXPECT_EQ(layout.MergedAreaAt(2002, 3), nullptr);
  EXPECT_EQ(layout.MergedAreaAt(500000, 1)->row_count, kMaxRows);
  EXPECT_EQ(layout.MergedAreaAt(kMaxRows, kMaxColumns)->first_column, 2);
  SheetLayout empty;
  empty.Finish();
  EXPECT_EQ(empty.MergedAreaAt(1, 1), nullptr);
}

TEST(ExcelWidthTest, CharacterWidthsInPointsAsExcelDrawsThem) {
  // 8.43 digits, stored with the padding as 9.140625: 64 pixels.
  EXPECT_EQ(ExcelColumnWidthToPoints(9.140625), 48.0f);
  EXPECT_EQ(ExcelColumnWidthToPoints(20.7109375), 108.75f);  // 145 px
  EXPECT_EQ(ExcelColumnWidthToPoints(0), 0.0f);
  EXPECT_EQ(ExcelColumnWidthToPoints(-1), std::nullopt);
  EXPECT_EQ(ExcelColumnWidthToPoints(1e300), std::nullopt);
  EXPECT_EQ(ExcelBaseWidthToPoints(8), 48.0f);   // 61 px, up to 64
  EXPECT_EQ(ExcelBaseWidthToPoints(10), 60.0f);  // 75 px, up to 80
}

}  // namespace
}  // namespace kestrilo
