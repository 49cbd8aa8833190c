// SPDX-License-Identifier: MIT
// The sample workbooks that ship beside the program read as their
// instructions promise: each block holds what its header mode needs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/folder_scan/folder_scan.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/cell_text.h"

namespace kestrilo {
namespace {

// samples/ of the source tree. The build names it: this file's own path
// may be rewritten by the compile cache, so it cannot be trusted.
const std::string kSamples = KESTRILO_SAMPLES_DIR "/";
using Rows = std::vector<std::vector<std::string>>;

// The texts of a block, row by row (1-based rows and columns). The block is
// the sheet's whole used range, so that the command-line tool's default
// converts exactly it.
Rows Block(const Sheet& sheet, int first_row, int first_column, int rows,
           int columns) {
  EXPECT_EQ(sheet.UsedRange(),
            (BlockGeometry{first_row, rows, first_column, columns}))
      << sheet.name();
  Rows block(rows);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      block[r].push_back(CellText(sheet.Cell(first_row + r, first_column + c)));
    }
  }
  return block;
}

TEST(SamplesTest, FruitPricesHoldTheExampleBothWays) {
  const auto book = ReadWorkbook(kSamples + "Fruit Prices.xlsx");
  ASSERT_EQ(book->sheet_count(), 3);
  EXPECT_EQ(book->sheet(2).name(), "Read Me");
  EXPECT_EQ(Block(book->sheet(0), 2, 2, 3, 3),
            (Rows{{"Fruit", "Unit Price", "Qty"},
                  {"Apple", "1.5", "10"},
                  {"Green Pear", "2", "7"}}));
  EXPECT_EQ(Block(book->sheet(1), 2, 2, 3, 3),
            (Rows{{"Fruit", "Apple", "Green Pear"},
                  {"Unit Price", "1.5", "2"},
                  {"Qty", "10", "7"}}));
}

TEST(SamplesTest, StaffListHasDatesTimesAndTruthValues) {
  const auto book = ReadWorkbook(kSamples + "Staff List.ods");
  const Rows block = Block(book->sheet(0), 1, 1, 5, 5);
  EXPECT_EQ(block[0],
            (std::vector<std::string>{"Name", "Department", "Start Date",
                                      "Shift Start", "Full Time"}));
  EXPECT_EQ(block[1],
            (std::vector<std::string>{"Ada Moreau", "Accounts", "2015-03-02",
                                      "08:30:00", "True"}));
  EXPECT_EQ(block[3][0], "Chloé Varga");
  EXPECT_EQ(block[3][4], "False");
}

TEST(SamplesTest, MonthlySalesHasBothHeaders) {
  const auto book = ReadWorkbook(kSamples + "Monthly Sales.xls");
  EXPECT_EQ(Block(book->sheet(0), 1, 1, 4, 5),
            (Rows{{"Region", "January", "February", "March", "April"},
                  {"North", "1200", "950", "1310", "1405.5"},
                  {"South", "870", "1020", "990", "1100"},
                  {"East West", "640", "700", "815.25", "760"}}));
}

TEST(SamplesTest, SensorReadingsHaveNoHeaders) {
  const auto book = ReadWorkbook(kSamples + "Sensor Readings.csv");
  const Rows block = Block(book->sheet(0), 1, 1, 3, 4);
  EXPECT_EQ(block[0],
            (std::vector<std::string>{"21.4", "21.6", "21.9", "22.3"}));
  EXPECT_EQ(block[2][3], "24.1");
}

TEST(SamplesTest, OnlyWorkbooksAreInTheSamplesFolder) {
  // The sample command adds every file of the folder.
  for (const std::string& name : ListFilesInFolder(kSamples, "*.*")) {
    EXPECT_TRUE(name.ends_with(".xlsx") || name.ends_with(".ods") ||
                name.ends_with(".xls") || name.ends_with(".csv"))
        << name;
  }
  EXPECT_EQ(ListFilesInFolder(kSamples, "*.*").size(), 4u);
}

}  // namespace
}  // namespace kestrilo
