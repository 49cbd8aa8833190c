// SPDX-License-Identifier: MIT

#include "engine/model/block_clip.h"

#include <gtest/gtest.h>

namespace kestrilo {
namespace {

constexpr BlockGeometry kUsed{3, 10, 2, 4};  // B3:E12

TEST(BlockClipTest, WholeLinesStandForTheirFilledPart) {
  // Whole columns C:D, whole rows 5:6, the whole sheet.
  EXPECT_EQ(ClipToUsedRange({1, kMaxRows, 3, 2}, kUsed),
            (BlockGeometry{3, 10, 3, 2}));
  EXPECT_EQ(ClipToUsedRange({5, 2, 1, kMaxColumns}, kUsed),
            (BlockGeometry{5, 2, 2, 4}));
  EXPECT_EQ(ClipToUsedRange({1, kMaxRows, 1, kMaxColumns}, kUsed), kUsed);
  // Columns reaching past the used range keep only the filled part.
  EXPECT_EQ(ClipToUsedRange({1, kMaxRows, 4, 100}, kUsed),
            (BlockGeometry{3, 10, 4, 2}));
}

TEST(BlockClipTest, WholeLinesWithoutCellsStandForNothing) {
  EXPECT_EQ(ClipToUsedRange({1, kMaxRows, 20, 1}, kUsed), std::nullopt);
  EXPECT_EQ(ClipToUsedRange({100, 1, 1, kMaxColumns}, kUsed), std::nullopt);
  EXPECT_EQ(ClipToUsedRange({1, kMaxRows, 1, kMaxColumns}, std::nullopt),
            std::nullopt);
}

TEST(BlockClipTest, OtherBlocksStandForThemselves) {
  // Partly or wholly outside the used range, even on an empty sheet: the
  // user drew them, so they convert as drawn.
  for (BlockGeometry block :
       {BlockGeometry{1, 100, 1, 100}, BlockGeometry{50, 2, 50, 2},
        BlockGeometry{2, kMaxRows - 1, 1, 1},
        BlockGeometry{1, 1, 2, kMaxColumns - 1}}) {
    EXPECT_EQ(ClipToUsedRange(block, kUsed), block);
    EXPECT_EQ(ClipToUsedRange(block, std::nullopt), block);
  }
}

TEST(BlockClipTest, OverlapNeedsASharedCell) {
  EXPECT_TRUE(Overlaps({1, 3, 1, 2}, kUsed));     // A1:B3 touches B3
  EXPECT_FALSE(Overlaps({1, 2, 1, 100}, kUsed));  // rows 1 and 2
  EXPECT_FALSE(Overlaps({3, 10, 6, 1}, kUsed));   // column F
}

TEST(BlockClipTest, SelectionsGrowOverTheMergedAreasTheyTouch) {
  const std::vector<BlockGeometry> merged = {
      {2, 2, 2, 3},  // B2:D3
      {4, 1, 4, 2},  // D4:E4, reached only through B2:D3 grown
      {9, 1, 9, 1},
  };
  // One cell of a merged area selects it whole.
  EXPECT_EQ(WithMergedAreas({3, 1, 3, 1}, merged), (BlockGeometry{2, 2, 2, 3}));
  // A block reaching into B2:D3 takes it, and then D4:E4 beside it.
  EXPECT_EQ(WithMergedAreas({3, 2, 1, 2}, merged), (BlockGeometry{2, 3, 1, 5}));
  // Untouched areas change nothing.
  EXPECT_EQ(WithMergedAreas({6, 2, 1, 2}, merged), (BlockGeometry{6, 2, 1, 2}));
  EXPECT_EQ(WithMergedAreas({6, 2, 1, 2}, {}), (BlockGeometry{6, 2, 1, 2}));
}

}  // namespace
}  // namespace kestrilo
