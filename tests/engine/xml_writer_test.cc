#include "engine/xml_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/address_error.h"
#include "memory_cell_source.h"

namespace kestrilo {
namespace {

// The fruit table on B2:D4 that the layouts are explained with.
class FruitTableTest : public ::testing::Test {
 protected:
  FruitTableTest() {
    source_.SetText(2, 2, "Fruit");
    source_.SetText(2, 3, "Unit Price");
    source_.SetText(2, 4, "Qty");
    source_.SetText(3, 2, "Apple");
    source_.Set(3, 3, CellValue::Number(1.5));
    source_.Set(3, 4, CellValue::Number(10));
    source_.SetText(4, 2, "Green Pear");
    source_.Set(4, 3, CellValue::Number(2));
    source_.Set(4, 4, CellValue::Number(7));
  }

  std::string Convert(bool header_row, bool header_column, bool row_first,
                      bool title_tag) {
    ExportOptions options;
    options.title = "My Data";
    options.title_tag = title_tag;
    options.header_row = header_row;
    options.header_column = header_column;
    options.row_first = row_first;
    return BlockToXml(source_, options, "$B$2:$D$4");
  }

  MemoryCellSource source_;
};

TEST_F(FruitTableTest, BothHeadersRowFirst) {
  EXPECT_EQ(Convert(true, true, true, true),
            "<MyData>\r\n"
            "\t<Apple>\r\n"
            "\t\t\t<UnitPrice>1.5</UnitPrice>\r\n"
            "\t\t\t<Qty>10</Qty>\r\n"
            "\t</Apple>\r\n"
            "\t<GreenPear>\r\n"
            "\t\t\t<UnitPrice>2</UnitPrice>\r\n"
            "\t\t\t<Qty>7</Qty>\r\n"
            "\t</GreenPear>\r\n"
            "</MyData>\r\n");
  EXPECT_EQ(Convert(true, true, true, false),
            "<Apple>\r\n"
            "\t<UnitPrice>1.5</UnitPrice>\r\n"
            "\t<Qty>10</Qty>\r\n"
            "</Apple>\r\n"
            "<GreenPear>\r\n"
            "\t<UnitPrice>2</UnitPrice>\r\n"
            "\t<Qty>7</Qty>\r\n"
            "</GreenPear>\r\n");
}

TEST_F(FruitTableTest, BothHeadersColumnFirst) {
  EXPECT_EQ(Convert(true, true, false, true),
            "<MyData>\r\n"
            "\t<UnitPrice>\r\n"
            "\t\t\t<Apple>1.5</Apple>\r\n"
            "\t\t\t<GreenPear>2</GreenPear>\r\n"
            "\t</UnitPrice>\r\n"
            "\t<Qty>\r\n"
            "\t\t\t<Apple>10</Apple>\r\n"
            "\t\t\t<GreenPear>7</GreenPear>\r\n"
            "\t</Qty>\r\n"
            "</MyData>\r\n");
  EXPECT_EQ(Convert(true, true, false, false),
            "<UnitPrice>\r\n"
            "\t<Apple>1.5</Apple>\r\n"
            "\t<GreenPear>2</GreenPear>\r\n"
            "</UnitPrice>\r\n"
            "<Qty>\r\n"
            "\t<Apple>10</Apple>\r\n"
            "\t<GreenPear>7</GreenPear>\r\n"
            "</Qty>\r\n");
}

TEST_F(FruitTableTest, NoHeadersRowFirst) {
  EXPECT_EQ(Convert(false, false, true, true),
            "<MyData>\r\n"
            "\t<2>\r\n"
            "\t\t\t<B>Fruit</B>\r\n"
            "\t\t\t<C>Unit Price</C>\r\n"
            "\t\t\t<D>Qty</D>\r\n"
            "\t</2>\r\n"
            "\t<3>\r\n"
            "\t\t\t<B>Apple</B>\r\n"
            "\t\t\t<C>1.5</C>\r\n"
            "\t\t\t<D>10</D>\r\n"
            "\t</3>\r\n"
            "\t<4>\r\n"
            "\t\t\t<B>Green Pear</B>\r\n"
            "\t\t\t<C>2</C>\r\n"
            "\t\t\t<D>7</D>\r\n"
            "\t</4>\r\n"
            "</MyData>\r\n");
  EXPECT_EQ(Convert(false, false, true, false),
            "<2>\r\n"
            "\t<B>Fruit</B>\r\n"
            "\t<C>Unit Price</C>\r\n"
            "\t<D>Qty</D>\r\n"
            "</2>\r\n"
            "<3>\r\n"
            "\t<B>Apple</B>\r\n"
            "\t<C>1.5</C>\r\n"
            "\t<D>10</D>\r\n"
            "</3>\r\n"
            "<4>\r\n"
            "\t<B>Green Pear</B>\r\n"
            "\t<C>2</C>\r\n"
            "\t<D>7</D>\r\n"
            "</4>\r\n");
}

TEST_F(FruitTableTest, NoHeadersColumnFirst) {
  EXPECT_EQ(Convert(false, false, false, true),
            "<MyData>\r\n"
            "\t<B>\r\n"
            "\t\t\t<2>Fruit</2>\r\n"
            "\t\t\t<3>Apple</3>\r\n"
            "\t\t\t<4>Green Pear</4>\r\n"
            "\t</B>\r\n"
            "\t<C>\r\n"
            "\t\t\t<2>Unit Price</2>\r\n"
            "\t\t\t<3>1.5</3>\r\n"
            "\t\t\t<4>2</4>\r\n"
            "\t</C>\r\n"
            "\t<D>\r\n"
            "\t\t\t<2>Qty</2>\r\n"
            "\t\t\t<3>10</3>\r\n"
            "\t\t\t<4>7</4>\r\n"
            "\t</D>\r\n"
            "</MyData>\r\n");
  EXPECT_EQ(Convert(false, false, false, false),
            "<B>\r\n"
            "\t<2>Fruit</2>\r\n"
            "\t<3>Apple</3>\r\n"
            "\t<4>Green Pear</4>\r\n"
            "</B>\r\n"
            "<C>\r\n"
            "\t<2>Unit Price</2>\r\n"
            "\t<3>1.5</3>\r\n"
            "\t<4>2</4>\r\n"
            "</C>\r\n"
            "<D>\r\n"
            "\t<2>Qty</2>\r\n"
            "\t<3>10</3>\r\n"
            "\t<4>7</4>\r\n"
            "</D>\r\n");
}

TEST_F(FruitTableTest, HeaderRowIgnoresRowFirst) {
  const std::string expected =
      "<MyData>\r\n"
      "\t<Fruit>Apple</Fruit>\r\n"
      "\t<UnitPrice>1.5</UnitPrice>\r\n"
      "\t<Qty>10</Qty>\r\n"
      "\t<Fruit>Green Pear</Fruit>\r\n"
      "\t<UnitPrice>2</UnitPrice>\r\n"
      "\t<Qty>7</Qty>\r\n"
      "</MyData>\r\n";
  EXPECT_EQ(Convert(true, false, true, true), expected);
  EXPECT_EQ(Convert(true, false, false, true), expected);
  EXPECT_EQ(Convert(true, false, true, false),
            "<Fruit>Apple</Fruit>\r\n"
            "<UnitPrice>1.5</UnitPrice>\r\n"
            "<Qty>10</Qty>\r\n"
            "<Fruit>Green Pear</Fruit>\r\n"
            "<UnitPrice>2</UnitPrice>\r\n"
            "<Qty>7</Qty>\r\n");
}

TEST_F(FruitTableTest, HeaderColumnIgnoresRowFirst) {
  const std::string expected =
      "<MyData>\r\n"
      "\t<Fruit>Unit Price</Fruit>\r\n"
      "\t<Fruit>Qty</Fruit>\r\n"
      "\t<Apple>1.5</Apple>\r\n"
      "\t<Apple>10</Apple>\r\n"
      "\t<GreenPear>2</GreenPear>\r\n"
      "\t<GreenPear>7</GreenPear>\r\n"
      "</MyData>\r\n";
  EXPECT_EQ(Convert(false, true, true, true), expected);
  EXPECT_EQ(Convert(false, true, false, true), expected);
  EXPECT_EQ(Convert(false, true, false, false),
            "<Fruit>Unit Price</Fruit>\r\n"
            "<Fruit>Qty</Fruit>\r\n"
            "<Apple>1.5</Apple>\r\n"
            "<Apple>10</Apple>\r\n"
            "<GreenPear>2</GreenPear>\r\n"
            "<GreenPear>7</GreenPear>\r\n");
}

TEST_F(FruitTableTest, BothHeadersNeverReadTheCorner) {
  source_.Set(2, 2, CellValue::Error("#REF!"));
  EXPECT_EQ(Convert(true, true, true, false).find("Fruit"), std::string::npos);
}

}  // namespace
}  // namespace kestrilo
