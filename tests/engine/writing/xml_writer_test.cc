// SPDX-License-Identifier: MIT

#include "engine/writing/xml_writer.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "engine/model/address_error.h"
#include "engine/model/column_letters.h"
#include "engine/model/range_address.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/cell_text.h"
#include "engine/writing/string_sink.h"
#include "memory_cell_source.h"
#include "test_package.h"

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
                      bool title_tag, bool valid_names = true) {
    ExportOptions options;
    options.valid_names = valid_names;
    options.title = "My Data";
    options.title_tag = title_tag;
    options.header_row = header_row;
    options.header_column = header_column;
    options.row_first = row_first;
    return BlockToXml(source_, options, "$B$2:$D$4");
  }

  // Without headers the rows are named by their numbers: with raw names as
  // written, and by default with "_" in front, all else the same.
  void ExpectNoHeaders(bool row_first, bool title_tag, const std::string& raw) {
    EXPECT_EQ(Convert(false, false, row_first, title_tag, false), raw);
    EXPECT_EQ(Convert(false, false, row_first, title_tag),
              std::regex_replace(raw, std::regex("<(/?)([0-9])"), "<$1_$2"));
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
  ExpectNoHeaders(true, true,
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
  ExpectNoHeaders(true, false,
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
  ExpectNoHeaders(false, true,
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
  ExpectNoHeaders(false, false,
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

// One-row and one-column blocks: the header layouts may have no data at all,
// and the nested forms may have outer elements with nothing inside.
TEST_F(FruitTableTest, OneRowAndOneColumnBlocks) {
  struct Case {
    bool header_row, header_column, row_first;
    const char* address;
    const char* expected;
  };
  const Case cases[] = {
      {true, true, true, "B2:D2", "<MyData>\r\n</MyData>\r\n"},
      {true, true, true, "B2:B4",
       "<MyData>\r\n\t<Apple>\r\n\t</Apple>\r\n\t<GreenPear>\r\n"
       "\t</GreenPear>\r\n</MyData>\r\n"},
      {true, true, false, "B2:B4", "<MyData>\r\n</MyData>\r\n"},
      {true, true, false, "B2:D2",
       "<MyData>\r\n\t<UnitPrice>\r\n\t</UnitPrice>\r\n\t<Qty>\r\n"
       "\t</Qty>\r\n</MyData>\r\n"},
      {false, false, true, "B2:D2",
       "<MyData>\r\n\t<2>\r\n\t\t\t<B>Fruit</B>\r\n\t\t\t<C>Unit Price</C>\r\n"
       "\t\t\t<D>Qty</D>\r\n\t</2>\r\n</MyData>\r\n"},
      {false, false, true, "B2:B4",
       "<MyData>\r\n\t<2>\r\n\t\t\t<B>Fruit</B>\r\n\t</2>\r\n\t<3>\r\n"
       "\t\t\t<B>Apple</B>\r\n\t</3>\r\n\t<4>\r\n\t\t\t<B>Green Pear</B>\r\n"
       "\t</4>\r\n</MyData>\r\n"},
      {false, false, false, "B2:D2",
       "<MyData>\r\n\t<B>\r\n\t\t\t<2>Fruit</2>\r\n\t</B>\r\n\t<C>\r\n"
       "\t\t\t<2>Unit Price</2>\r\n\t</C>\r\n\t<D>\r\n\t\t\t<2>Qty</2>\r\n"
       "\t</D>\r\n</MyData>\r\n"},
      {false, false, false, "B2:B4",
       "<MyData>\r\n\t<B>\r\n\t\t\t<2>Fruit</2>\r\n\t\t\t<3>Apple</3>\r\n"
       "\t\t\t<4>Green Pear</4>\r\n\t</B>\r\n</MyData>\r\n"},
      {true, false, true, "B2:D2", "<MyData>\r\n</MyData>\r\n"},
      {true, false, true, "B2:B4",
       "<MyData>\r\n\t<Fruit>Apple</Fruit>\r\n"
       "\t<Fruit>Green Pear</Fruit>\r\n</MyData>\r\n"},
      {false, true, true, "B2:B4", "<MyData>\r\n</MyData>\r\n"},
      {false, true, true, "B2:D2",
       "<MyData>\r\n\t<Fruit>Unit Price</Fruit>\r\n"
       "\t<Fruit>Qty</Fruit>\r\n</MyData>\r\n"},
  };
  for (const Case& c : cases) {
    ExportOptions options;
    options.valid_names = false;  // the names as the cells give them
    options.title = "My Data";
    options.header_row = c.header_row;
    options.header_column = c.header_column;
    options.row_first = c.row_first;
    EXPECT_EQ(BlockToXml(source_, options, c.address), c.expected)
        << c.address << " header_row=" << c.header_row
        << " header_column=" << c.header_column << " row_first=" << c.row_first;
  }
}

TEST_F(FruitTableTest, FlatLayoutWithoutDataAndTitleGivesEmptyText) {
  ExportOptions options;
  options.title_tag = false;
  options.header_row = true;
  EXPECT_EQ(BlockToXml(source_, options, "B2:D2"), "");
  options.header_row = false;
  options.header_column = true;
  EXPECT_EQ(BlockToXml(source_, options, "B2:B4"), "");
}

// With raw names as the cells give them; valid names make it "_".
TEST_F(FruitTableTest, EmptyTitleGivesEmptyTitleTag) {
  for (const char* title : {"", "   "}) {
    for (const std::string name : {"", "_"}) {
      ExportOptions options;
      options.title = title;
      options.valid_names = !name.empty();
      EXPECT_EQ(BlockToXml(source_, options, "B2:C3"),
                "<" + name +
                    ">\r\n\t<Fruit>Apple</Fruit>\r\n\t<UnitPrice>1.5</"
                    "UnitPrice>\r\n</" +
                    name + ">\r\n");
    }
  }
}

TEST(XmlWriterTest, HeadersLoseOnlyPlainSpaces) {
  MemoryCellSource source;
  source.SetRows(1, 1,
                 {{"Unit\tPrice", "Unit\xC2\xA0Price", "  Q t y  ", "",
                   "Line\nBreak", "MiXed"},
                  {"1", "2", "3", "4", "5", "6"}});
  ExportOptions options;
  options.valid_names = false;  // the names as the cells give them
  options.title_tag = false;
  EXPECT_EQ(BlockToXml(source, options, "A1:F2"),
            "<Unit\tPrice>1</Unit\tPrice>\r\n"
            "<Unit\xC2\xA0Price>2</Unit\xC2\xA0Price>\r\n"
            "<Qty>3</Qty>\r\n"
            "<>4</>\r\n"
            "<Line\nBreak>5</Line\nBreak>\r\n"
            "<MiXed>6</MiXed>\r\n");
}

TEST(XmlWriterTest, NonTextHeadersGiveTheirTextForms) {
  MemoryCellSource source;
  source.Set(1, 1, CellValue::Number(2021));
  source.Set(1, 2, CellValue::Boolean(true));
  source.Set(1, 3, CellValue::DateTime(44439.5));  // 2021-08-31 12:00:00
  ExportOptions options;
  options.valid_names = false;  // the names as the cells give them
  options.title_tag = false;
  EXPECT_EQ(BlockToXml(source, options, "A1:C2"),
            "<2021></2021>\r\n<True></True>\r\n"
            "<2021-08-3112:00:00></2021-08-3112:00:00>\r\n");
}

TEST(XmlWriterTest, CellTextIsEscapedUnlessTurnedOff) {
  MemoryCellSource source;
  source.SetRows(1, 1, {{"R&D", "a<b>c"}, {"Smith & Sons", "a<b"}});
  ExportOptions options;
  options.title = "Q&A";
  options.title_tag = true;
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<Q_A>\r\n"
            "\t<R_D>Smith &amp; Sons</R_D>\r\n"
            "\t<a_b_c>a&lt;b</a_b_c>\r\n"
            "</Q_A>\r\n");
  options.escape_text = false;
  options.valid_names = false;
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<Q&A>\r\n"
            "\t<R&D>Smith & Sons</R&D>\r\n"
            "\t<a<b>c>a<b</a<b>c>\r\n"
            "</Q&A>\r\n");
  options.escape_text = true;
  options.header_row = false;
  EXPECT_EQ(BlockToXml(source, options, "B1:B2"),
            "<Q_A>\r\n\t<1>\r\n\t\t\t<B>a&lt;b&gt;c</B>\r\n\t</1>\r\n"
            "\t<2>\r\n\t\t\t<B>a&lt;b</B>\r\n\t</2>\r\n</Q_A>\r\n");
}

// A header or title written to break out of its tag stays one name in every
// layout that takes names from cells, and text XML cannot hold is replaced.
TEST(XmlWriterTest, HostileHeadersAndTitleInjectNothing) {
  const std::string hostile = "role></role><admin>true</admin><role";
  const std::string name = "role___role__admin_true__admin__role";
  MemoryCellSource source;
  source.SetRows(1, 1, {{"x", hostile}, {hostile, "bell\x07"}});
  ExportOptions options;
  options.title = "a=\"b\" c='d'/";
  const std::string title = "a__b_c__d__";
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<" + title + ">\r\n\t<x>" +
                "role&gt;&lt;/role&gt;&lt;admin&gt;true&lt;/admin&gt;&lt;role"
                "</x>\r\n\t<" +
                name + ">bell\xEF\xBF\xBD</" + name + ">\r\n</" + title +
                ">\r\n");
  options.header_row = false;
  options.header_column = true;
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<" + title + ">\r\n\t<x>" +
                "role&gt;&lt;/role&gt;&lt;admin&gt;true&lt;/admin&gt;&lt;role"
                "</x>\r\n\t<" +
                name + ">bell\xEF\xBF\xBD</" + name + ">\r\n</" + title +
                ">\r\n");
  options.header_row = true;
  for (const bool row_first : {true, false}) {
    options.row_first = row_first;
    EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
              "<" + title + ">\r\n\t<" + name + ">\r\n\t\t\t<" + name +
                  ">bell\xEF\xBF\xBD</" + name + ">\r\n\t</" + name +
                  ">\r\n</" + title + ">\r\n");
  }
  options.escape_text = false;  // the old raw names and text
  options.valid_names = false;
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<a=\"b\"c='d'/>\r\n\t<" + hostile + ">\r\n\t\t\t<" + hostile +
                ">bell\x07</" + hostile + ">\r\n\t</" + hostile +
                ">\r\n</a=\"b\"c='d'/>\r\n");
}

// Valid names: off keeps the old names, on gives "_" in front of a name that
// cannot start as it is and "_" for each character a name may not hold.
TEST(XmlWriterTest, ValidNamesFixEveryKindOfTag) {
  MemoryCellSource source;
  source.SetRows(
      1, 1, {{"2", "2021 Sales", "", "Price \xC3\x97"}, {"a", "b", "c", "d"}});
  ExportOptions options;
  EXPECT_TRUE(options.valid_names);  // the default
  options.valid_names = false;
  options.title = "1st & last";
  EXPECT_EQ(BlockToXml(source, options, "A1:D2"),
            "<1st_last>\r\n\t<2>a</2>\r\n\t<2021Sales>b</2021Sales>\r\n"
            "\t<>c</>\r\n\t<Price\xC3\x97>d</Price\xC3\x97>\r\n"
            "</1st_last>\r\n");
  options.valid_names = true;
  EXPECT_EQ(BlockToXml(source, options, "A1:D2"),
            "<_1st_last>\r\n\t<_2>a</_2>\r\n\t<_2021Sales>b</_2021Sales>\r\n"
            "\t<_>c</_>\r\n\t<Price_>d</Price_>\r\n</_1st_last>\r\n");
  // Valid names apply with escaping off too: "&" may not be in a name.
  options.escape_text = false;
  EXPECT_EQ(BlockToXml(source, options, "A1:A1"),
            "<_1st_last>\r\n</_1st_last>\r\n");
  options.escape_text = true;
  // A header column, and headers that are numbers rather than text.
  source.Set(2, 1, CellValue::Number(7));
  options.title_tag = false;
  options.header_row = false;
  options.header_column = true;
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<_2>2021 Sales</_2>\r\n<_7>b</_7>\r\n");
  // Row numbers and column letters, both ways round.
  options.header_column = false;
  EXPECT_EQ(BlockToXml(source, options, "B1:B2"),
            "<_1>\r\n\t<B>2021 Sales</B>\r\n</_1>\r\n"
            "<_2>\r\n\t<B>b</B>\r\n</_2>\r\n");
  options.row_first = false;
  EXPECT_EQ(BlockToXml(source, options, "B1:B2"),
            "<B>\r\n\t<_1>2021 Sales</_1>\r\n\t<_2>b</_2>\r\n</B>\r\n");
  // Both headers: the corner is skipped, the rest made valid.
  options.header_row = true;
  options.header_column = true;
  options.row_first = true;
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<_7>\r\n\t<_2021Sales>b</_2021Sales>\r\n</_7>\r\n");
  options.row_first = false;
  EXPECT_EQ(BlockToXml(source, options, "A1:B2"),
            "<_2021Sales>\r\n\t<_7>b</_7>\r\n</_2021Sales>\r\n");
}

// xlsx carries the characters XML cannot hold as _xHHHH_ escapes; read back
// as characters, they must not reach the output as such.
TEST(XmlWriterTest, EscapedControlCharactersOfXlsxBecomeReplacements) {
  const std::string path = testing_support::WritePackage(
      "controls.xlsx",
      testing_support::OneSheetPackage(
          "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Tag_x0001_"
          "</t></is></c></row><row r=\"2\"><c r=\"A2\" t=\"inlineStr\">"
          "<is><t>a_x0000_b_x001F_c_xFFFF_d_x0009_e</t></is></c></row>"));
  const std::unique_ptr<Workbook> workbook = ReadWorkbook(path);
  WorkbookCellSource source(*workbook, 0);
  ExportOptions options;
  options.valid_names = false;  // the names as the cells give them
  options.title_tag = false;
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(
      BlockToXml(source, options, "A1:A2"),
      "<Tag" + r + ">a" + r + "b" + r + "c" + r + "d\te</Tag" + r + ">\r\n");
}

// Error values, in headers or data, read as empty cells in every layout and
// stay in the sheet: the conversion neither fails nor changes anything.
TEST(XmlWriterTest, ErrorValuesGiveEmptyTextInEveryLayout) {
  MemoryCellSource with_errors;
  MemoryCellSource with_blanks;
  with_errors.SetRows(1, 1,
                      {{"Corner", "A", "B"}, {"X", "1", "2"}, {"Y", "3", "4"}});
  with_blanks.SetRows(1, 1,
                      {{"Corner", "A", "B"}, {"X", "1", "2"}, {"Y", "3", "4"}});
  const std::pair<int, int> errors[] = {{1, 2}, {2, 1}, {2, 3}, {3, 2}};
  for (auto [row, column] : errors) {
    with_errors.Set(row, column, CellValue::Error("#DIV/0!"));
    with_blanks.Set(row, column, CellValue::Empty());
  }
  for (int layout = 0; layout < 8; ++layout) {
    ExportOptions options;
    options.header_row = layout & 1;
    options.header_column = layout & 2;
    options.row_first = layout & 4;
    const std::string text = BlockToXml(with_errors, options, "A1:C3");
    EXPECT_EQ(text, BlockToXml(with_blanks, options, "A1:C3"));
    EXPECT_EQ(text.find('#'), std::string::npos) << text;
  }
  for (auto [row, column] : errors) {
    EXPECT_TRUE(with_errors.Value(row, column).is_error());
  }
}

TEST(XmlWriterTest, BlocksBeyondSixteenBitLimits) {
  MemoryCellSource source;
  source.SetRows(40000, 300,
                 {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
  ExportOptions options;
  options.valid_names = false;  // the names as the cells give them
  options.title_tag = false;
  options.header_row = false;
  EXPECT_EQ(BlockToXml(source, options, "$KN$40000:$KP$40002"),
            "<40000>\r\n\t<KN>a</KN>\r\n\t<KO>b</KO>\r\n\t<KP>c</KP>\r\n"
            "</40000>\r\n"
            "<40001>\r\n\t<KN>d</KN>\r\n\t<KO>e</KO>\r\n\t<KP>f</KP>\r\n"
            "</40001>\r\n"
            "<40002>\r\n\t<KN>g</KN>\r\n\t<KO>h</KO>\r\n\t<KP>i</KP>\r\n"
            "</40002>\r\n");
  options.row_first = false;
  EXPECT_EQ(BlockToXml(source, options, "KN40000:KN40001"),
            "<KN>\r\n\t<40000>a</40000>\r\n\t<40001>d</40001>\r\n</KN>\r\n");
  options.header_row = true;
  options.header_column = true;
  EXPECT_EQ(BlockToXml(source, options, "KN40000:KO40001"),
            "<b>\r\n\t<d>e</d>\r\n</b>\r\n");

  source.SetRows(1048575, 16383, {{"p", "q"}, {"r", "s"}});
  options.header_row = false;
  options.header_column = false;
  options.row_first = true;
  EXPECT_EQ(BlockToXml(source, options, "XFD1048576:XFC1048575"),
            "<1048575>\r\n\t<XFC>p</XFC>\r\n\t<XFD>q</XFD>\r\n</1048575>\r\n"
            "<1048576>\r\n\t<XFC>r</XFC>\r\n\t<XFD>s</XFD>\r\n</1048576>\r\n");
}

// A sheet with a header and one name in column A, read without the cost of
// a map lookup per cell: the whole-column test reads a million cells.
class NameColumnSource : public CellSource {
 public:
  BlockGeometry Geometry(std::string_view address) const override {
    return ParseAddress(address).areas.front();
  }
  CellValue Value(std::int32_t row, std::int32_t column) const override {
    if (column != 1 || row > 2) return CellValue::Empty();
    return CellValue::Text(row == 1 ? "Name" : "Ann");
  }
};

TEST(XmlWriterTest, WholeColumnSelectionConverts) {
  NameColumnSource source;
  ExportOptions options;
  options.title_tag = false;
  const std::string text = BlockToXml(source, options, "$A:$A");
  const std::string empty_line = "<Name></Name>\r\n";
  EXPECT_EQ(text.substr(0, 18), "<Name>Ann</Name>\r\n");
  EXPECT_EQ(text.size(), 18 + (kMaxRows - 2) * empty_line.size());
  EXPECT_EQ(text.substr(text.size() - empty_line.size()), empty_line);
}

TEST(XmlWriterTest, ColumnLettersCoverEveryColumn) {
  const std::pair<int, const char*> cases[] = {
      {1, "A"},       {26, "Z"},   {27, "AA"},  {52, "AZ"},
      {53, "BA"},     {256, "IV"}, {702, "ZZ"}, {703, "AAA"},
      {16384, "XFD"}, {0, ""},     {16385, ""}, {-1, ""}};
  for (auto [column, letters] : cases) {
    EXPECT_EQ(ColumnLetters(column), letters) << column;
  }
}

// Records the progress texts a conversion reports.
class RecordingObserver : public ConversionObserver {
 public:
  void Progress(std::string_view status) override {
    texts.emplace_back(status);
  }
  std::vector<std::string> texts;
};

// A block on rows 5 to 7 (columns B to D): the status text names the row,
// or column, about to be written.
TEST(XmlWriterTest, ProgressNamesTheRowOrColumnAboutToBeWritten) {
  struct Case {
    bool header_row, header_column, row_first;
    std::vector<std::string> numbers;
  };
  const Case cases[] = {
      {false, false, true, {"5", "6", "7"}},
      {true, true, true, {"6", "7"}},
      {true, false, true, {"6", "7"}},
      {false, true, false, {"5", "6", "7"}},
      {false, false, false, {"2", "3", "4"}},
      {true, true, false, {"3", "4"}},
  };
  for (const Case& c : cases) {
    MemoryCellSource source;
    ExportOptions options;
    options.header_row = c.header_row;
    options.header_column = c.header_column;
    options.row_first = c.row_first;
    RecordingObserver observer;
    StringSink sink;
    WriteBlockXml(source, options, "$B$5:$D$7", sink, &observer);
    std::vector<std::string> expected;
    for (const std::string& number : c.numbers) {
      expected.push_back("Rows completed: " + number);
    }
    EXPECT_EQ(observer.texts, expected)
        << c.header_row << c.header_column << c.row_first;
  }
}

TEST(XmlWriterTest, BadAddressFails) {
  MemoryCellSource source;
  EXPECT_THROW(BlockToXml(source, ExportOptions(), "B2:"), AddressError);
}

// A source whose geometry lies outside the worksheet is refused before any
// cell is read, instead of walking counters past their range.
class BadGeometrySource : public MemoryCellSource {
 public:
  explicit BadGeometrySource(BlockGeometry block) : block_(block) {}
  BlockGeometry Geometry(std::string_view) const override { return block_; }

 private:
  BlockGeometry block_;
};

TEST(XmlWriterTest, GeometryOutsideTheWorksheetIsRefused) {
  for (BlockGeometry block :
       {BlockGeometry{0, 1, 1, 1}, BlockGeometry{1, 1, 0, 1},
        BlockGeometry{1, -1, 1, 1}, BlockGeometry{kMaxRows, 2, 1, 1},
        BlockGeometry{1, 1, kMaxColumns, 2},
        BlockGeometry{2147483647, 2147483647, 1, 1}}) {
    BadGeometrySource source(block);
    EXPECT_THROW(BlockToXml(source, ExportOptions(), "A1"), AddressError);
    EXPECT_EQ(source.reads(), 0);
  }
}

// Large blocks pass the working text to the result many times; nothing may
// be lost or doubled on the way.
TEST(XmlWriterTest, LargeBlocksComeOutWhole) {
  MemoryCellSource source;
  constexpr int kRows = 3000;
  for (int row = 1; row <= kRows; ++row) {
    source.SetText(row, 1, "row " + std::to_string(row));
    source.Set(row, 2, CellValue::Number(row * 0.5));
  }
  ExportOptions options;
  options.valid_names = false;  // the names as the cells give them
  options.header_row = false;
  std::string row_first = "<XML>\r\n";
  for (int row = 1; row <= kRows; ++row) {
    const std::string n = std::to_string(row);
    row_first += "\t<" + n + ">\r\n\t\t\t<A>row " + n + "</A>\r\n\t\t\t<B>" +
                 CellText(CellValue::Number(row * 0.5)) + "</B>\r\n\t</" + n +
                 ">\r\n";
  }
  row_first += "</XML>\r\n";
  EXPECT_EQ(BlockToXml(source, options, "A1:B3000"), row_first);

  std::string column_first = "<XML>\r\n\t<A>\r\n";
  for (int row = 1; row <= kRows; ++row) {
    const std::string n = std::to_string(row);
    column_first += "\t\t\t<" + n + ">row " + n + "</" + n + ">\r\n";
  }
  column_first += "\t</A>\r\n\t<B>\r\n";
  for (int row = 1; row <= kRows; ++row) {
    const std::string n = std::to_string(row);
    column_first += "\t\t\t<" + n + ">" +
                    CellText(CellValue::Number(row * 0.5)) + "</" + n + ">\r\n";
  }
  column_first += "\t</B>\r\n</XML>\r\n";
  options.row_first = false;
  EXPECT_EQ(BlockToXml(source, options, "A1:B3000"), column_first);
}

// Cells and tags far longer than the room a line normally gets go out
// piece by piece; around them, short lines go on in the same text.
TEST(XmlWriterTest, CellsAndTagsLongerThanAChunkComeOutWhole) {
  const std::string long_tag(300000, 't');
  const std::string long_text = std::string(200000, 'a') + "&<\x01";
  MemoryCellSource source;
  source.SetText(1, 1, "H");
  source.SetText(1, 2, long_tag);
  for (int row = 2; row <= 4; ++row) {
    source.SetText(row, 1, long_text);
    source.Set(row, 2, CellValue::Number(row));
  }
  const std::string escaped =
      std::string(200000, 'a') + "&amp;&lt;\xEF\xBF\xBD";
  std::string wanted = "<" + long_tag + ">\r\n";
  for (int row = 2; row <= 4; ++row) {
    wanted += "\t<H>" + escaped + "</H>\r\n\t<" + long_tag + ">" +
              std::to_string(row) + "</" + long_tag + ">\r\n";
  }
  wanted += "</" + long_tag + ">\r\n";
  ExportOptions options;
  options.valid_names = false;  // the names as the cells give them
  options.title = long_tag;
  EXPECT_EQ(BlockToXml(source, options, "A1:B4"), wanted);

  options.row_first = false;
  options.header_row = false;
  options.title_tag = false;
  std::string column_first = "<A>\r\n\t<1>H</1>\r\n";
  for (int row = 2; row <= 4; ++row) {
    column_first += "\t<" + std::to_string(row) + ">" + escaped + "</" +
                    std::to_string(row) + ">\r\n";
  }
  EXPECT_EQ(BlockToXml(source, options, "A1:B4").substr(0, column_first.size()),
            column_first);
}

}  // namespace
}  // namespace kestrilo
