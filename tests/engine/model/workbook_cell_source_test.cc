// SPDX-License-Identifier: MIT

#include "engine/model/workbook_cell_source.h"

#include <gtest/gtest.h>

#include "engine/model/address_error.h"
#include "engine/writing/xml_writer.h"

namespace kestrilo {
namespace {

class WorkbookCellSourceTest : public ::testing::Test {
 protected:
  WorkbookCellSourceTest() : workbook_("/data/Book1.xlsx", "xlsx") {
    Sheet& first = workbook_.AddSheet("Summary", false);
    first.SetText(1, 1, "on the first sheet");
    first.Finish();
    Sheet& second = workbook_.AddSheet("My Data", false);
    second.SetText(2, 2, "Name");
    second.SetText(3, 2, "Ann & Bob");
    second.SetError(4, 2, "#N/A");
    second.Finish();
  }

  Workbook workbook_;
};

TEST_F(WorkbookCellSourceTest, ReadsTheChosenSheet) {
  WorkbookCellSource source(workbook_, 1);
  EXPECT_EQ(source.Value(3, 2).text, "Ann & Bob");
  EXPECT_TRUE(source.Value(1, 1).is_empty());
  EXPECT_TRUE(source.IsError(4, 2));
  EXPECT_FALSE(source.IsError(3, 2));
}

TEST_F(WorkbookCellSourceTest, GeometryOfTheFirstArea) {
  WorkbookCellSource source(workbook_, 1);
  EXPECT_EQ(source.Geometry("$B$2:$D$4,$F$1"), (BlockGeometry{2, 3, 2, 3}));
  EXPECT_EQ(source.Geometry("'My Data'!B2"), (BlockGeometry{2, 1, 2, 1}));
  EXPECT_EQ(source.Geometry("'my data'!B2"), (BlockGeometry{2, 1, 2, 1}));
}

TEST_F(WorkbookCellSourceTest, AddressOfAnotherSheetIsRefused) {
  WorkbookCellSource source(workbook_, 1);
  EXPECT_THROW(source.Geometry("Summary!A1"), AddressError);
  EXPECT_THROW(source.Geometry("Nowhere!A1"), AddressError);
  EXPECT_THROW(source.Geometry("A1:"), AddressError);
}

TEST_F(WorkbookCellSourceTest, ConvertsThroughTheWriter) {
  WorkbookCellSource source(workbook_, 1);
  ExportOptions options;
  EXPECT_EQ(BlockToXml(source, options, "B2:B4"),
            "<XML>\r\n\t<Name>Ann &amp; Bob</Name>\r\n\t<Name></Name>\r\n"
            "</XML>\r\n");
}

}  // namespace
}  // namespace kestrilo
