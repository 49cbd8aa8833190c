// SPDX-License-Identifier: MIT

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "collected_rows.h"
#include "engine/input/workbook_error.h"
#include "engine/reading/ods/ods_file.h"
#include "engine/reading/open_workbook_file.h"
#include "engine/reading/workbook_reader.h"
#include "test_package.h"

namespace kestrilo {
namespace {

using ::testing::HasSubstr;
using testing_support::CellsOf;
using testing_support::CollectedCell;
using testing_support::Parts;
using testing_support::RowCollector;
using testing_support::TestFilePath;
using testing_support::WritePackage;

const std::string kFixture =
    std::string(KESTRILO_FIXTURES_DIR) + "/lo_cells.ods";

constexpr const char* kMimeType =
    "application/vnd.oasis.opendocument.spreadsheet";

std::string ContentXml(const std::string& tables,
                       const std::string& automatic_styles = "") {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<office:document-content "
             "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1."
             "0\" "
             "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
             "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
             "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
             "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:"
             "calc:xmlns:calcext:1.0\" office:version=\"1.3\">"
             "<office:automatic-styles>") +
         automatic_styles +
         "</office:automatic-styles><office:body><office:spreadsheet>" +
         tables +
         "</office:spreadsheet></office:body></office:document-content>";
}

// One table "S" whose rows are `rows`.
std::string OneTable(const std::string& rows) {
  return ContentXml("<table:table table:name=\"S\">" + rows + "</table:table>");
}

std::string Row(const std::string& cells, const std::string& attributes = "") {
  return "<table:table-row" + attributes + ">" + cells + "</table:table-row>";
}

Parts OdsParts(const std::string& content, const std::string& settings = "",
               const std::string& manifest = "") {
  Parts parts = {{"mimetype", kMimeType}, {"content.xml", content}};
  if (!settings.empty()) parts.push_back({"settings.xml", settings});
  if (!manifest.empty()) parts.push_back({"META-INF/manifest.xml", manifest});
  return parts;
}

std::unique_ptr<Workbook> ReadParts(const Parts& parts,
                                    const std::string& name = "test.ods") {
  return ReadWorkbook(WritePackage(name, parts));
}

std::unique_ptr<Workbook> ReadRows(const std::string& rows) {
  return ReadParts(OdsParts(OneTable(rows)));
}

// The reason of the WorkbookError that reading `parts` throws.
std::string ErrorOf(const Parts& parts) {
  try {
    ReadParts(parts, "bad.ods");
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), TestFilePath("bad.ods"));
    return error.reason();
  }
  ADD_FAILURE() << "no WorkbookError";
  return {};
}

// The rows of the sheet `choice` picks in `parts`; its index in `read`.
RowCollector RowsOf(const Parts& parts, const SheetChoice& choice,
                    SheetRead* read = nullptr) {
  RowCollector rows;
  const SheetRead result =
      OpenWorkbookFile(WritePackage("rows.ods", parts))->ReadRows(choice, rows);
  if (read != nullptr) *read = result;
  return rows;
}

// ------------------------------------------------- the LibreOffice fixture

TEST(OdsReaderTest, LibreOfficeFixtureEveryCellKind) {
  auto book = ReadWorkbook(kFixture);
  ASSERT_EQ(book->format(), "ods");
  const Sheet& s = book->sheet(0);
  ASSERT_EQ(s.name(), "Kinds");
  auto text = [&](int row) { return std::string(s.Cell(row, 2).text); };
  auto number = [&](int row) {
    EXPECT_EQ(s.Cell(row, 2).kind, CellKind::kNumber) << "row " << row;
    return s.Cell(row, 2).number;
  };
  EXPECT_EQ(number(2), 3.25);
  EXPECT_EQ(number(3), -1.5e-05);
  EXPECT_EQ(number(4), 1.23456789012345e+22);
  EXPECT_EQ(number(5), 0.125);  // percentage
  EXPECT_EQ(number(6), 12.5);   // currency
  const CellValue date = s.Cell(7, 2), date_time = s.Cell(8, 2);
  EXPECT_EQ(date.kind, CellKind::kDateTime);
  EXPECT_EQ(date.number, 45351);  // 2024-02-29
  EXPECT_FALSE(date.time_only);
  EXPECT_NEAR(date_time.number, 45351 + (13 * 3600 + 45 * 60 + 30) / 86400.0,
              1e-9);
  const CellValue time = s.Cell(9, 2), duration = s.Cell(10, 2);
  EXPECT_TRUE(time.time_only);
  EXPECT_NEAR(time.number, (13 * 3600 + 45 * 60 + 30) / 86400.0, 1e-12);
  EXPECT_TRUE(duration.time_only);
  EXPECT_EQ(duration.number, 1.5);  // PT36H
  EXPECT_EQ(s.Cell(11, 2).kind, CellKind::kBoolean);
  EXPECT_EQ(s.Cell(11, 2).number, 1);
  EXPECT_EQ(s.Cell(12, 2).number, 0);
  EXPECT_EQ(text(13), " a   b ");
  // LibreOffice itself drops a tab and line break written into a cell's
  // paragraph by another program (row 14); typed in, a line feed becomes a
  // second paragraph and the tab is dropped (row 31).
  EXPECT_EQ(text(14), "xyz");
  EXPECT_EQ(text(31), "xy\nz");
  EXPECT_EQ(text(15), "bold and a link");
  EXPECT_EQ(text(16), "first\nsecond");
  EXPECT_EQ(text(17), "Ελληνικά");
  EXPECT_EQ(text(18), "中文字符");
  EXPECT_EQ(text(19), "😀🎉");
  EXPECT_EQ(text(20), "<a & \"b\">");
  // Formulas with their cached results.
  EXPECT_EQ(number(21), 6.5);
  EXPECT_EQ(text(22), "abcd");
  EXPECT_EQ(s.Cell(23, 2).kind, CellKind::kBoolean);
  EXPECT_EQ(s.Cell(24, 2).number, 43831);  // 2020-01-01
  for (const auto& [row, code] :
       {std::pair{25, "#DIV/0!"}, {26, "#N/A"}, {27, "Err:502"}}) {
    EXPECT_TRUE(s.Cell(row, 2).is_error()) << row;
    EXPECT_EQ(s.Cell(row, 2).text, code);
  }
  // ="" is written without a value type: a formula without a value.
  EXPECT_TRUE(s.Cell(28, 2).is_empty());
  EXPECT_EQ(book->formulas_without_value(), 1);
  // A merged cell, and a value hidden under the merge.
  EXPECT_EQ(text(29), "merged");
  EXPECT_EQ(s.Cell(29, 3).number, 42);
  EXPECT_EQ(text(30), "noted");  // the annotation is no part of the value
  EXPECT_EQ(s.UsedRange(), (BlockGeometry{1, 31, 1, 3}));
}

TEST(OdsReaderTest, LibreOfficeFixtureSheetsRepeatsAndActiveSheet) {
  auto book = ReadWorkbook(kFixture);
  ASSERT_EQ(book->sheet_count(), 4);
  EXPECT_EQ(book->sheet(1).name(), "Hidden sheet");
  EXPECT_TRUE(book->sheet(1).hidden());
  EXPECT_FALSE(book->sheet(0).hidden());
  EXPECT_EQ(book->active_sheet(), 3);
  EXPECT_EQ(book->sheet(3).Cell(1, 1).text, "I am the active sheet");

  const Sheet& repeated = book->sheet(2);
  for (int column = 1; column <= 3; ++column) {
    EXPECT_EQ(repeated.Cell(1, column).number, 7);
  }
  EXPECT_TRUE(repeated.Cell(1, 4).is_empty());
  EXPECT_EQ(repeated.Cell(1, 6).text, "end");
  for (int row = 2; row <= 5; ++row) {
    EXPECT_EQ(repeated.Cell(row, 1).text, "r");
    EXPECT_EQ(repeated.Cell(row, 2).number, 1.5);
  }
  EXPECT_EQ(repeated.Cell(1006, 1).text, "after the gap");
  EXPECT_EQ(repeated.Cell(kMaxRows, kMaxColumns).text, "last cell");
  // Millions of repeated empty cells cost nothing.
  EXPECT_EQ(repeated.cell_count(), 14u);
}

// ------------------------------------------------------------------ layout

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

void ExpectSpans(const std::vector<SheetLayout::Span>& actual,
                 const std::vector<SheetLayout::Span>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(actual[i].first, expected[i].first);
    EXPECT_EQ(actual[i].last, expected[i].last);
    EXPECT_EQ(actual[i].hidden, expected[i].hidden);
    ASSERT_EQ(actual[i].size.has_value(), expected[i].size.has_value());
    if (actual[i].size) {
      EXPECT_FLOAT_EQ(*actual[i].size, *expected[i].size);
    }
  }
}

// The flat document's body is what content.xml of a package holds.
TEST(OdsReaderTest, ColumnWidthsRowHeightsAndMergedAreasOfTheFlatFixture) {
  const auto book = ReadParts(
      OdsParts(ReadText(std::string(KESTRILO_FIXTURES_DIR) + "/layout.fods")));
  const SheetLayout& layout = book->sheet(0).layout();
  EXPECT_EQ(layout.default_column_width(), std::nullopt);
  // 2.54cm, 0.5in, 12.7mm, 6pc; a column without a style states nothing.
  ExpectSpans(layout.columns(), {{1, 1, 72.0f, false},
                                 {2, 3, 36.0f, true},
                                 {4, 4, 36.0f, true},
                                 {6, kMaxColumns, 72.0f, false}});
  // 12.5pt and 32px; a height without a unit states nothing.
  ExpectSpans(layout.rows(), {{1, 1, 12.5f, false},
                              {2, 2, 12.5f, false},
                              {3, 5, 24.0f, true},
                              {7, kMaxRows, 12.5f, false}});
  EXPECT_EQ(layout.merged_areas(),
            (std::vector<BlockGeometry>{{1, 2, 1, 2}, {2, 1, 3, 3}}));
  EXPECT_EQ(book->sheet(0).Cell(1, 1).text, "merged");
  // Areas running past the last row and column end there.
  const Sheet& edge = book->sheet(1);
  EXPECT_EQ(edge.layout().merged_areas(),
            (std::vector<BlockGeometry>{{1, 9, kMaxColumns, 1},
                                        {kMaxRows, 1, kMaxColumns, 1}}));
  EXPECT_EQ(edge.Cell(kMaxRows, kMaxColumns).text, "corner");
}

// ------------------------------------------------------ hand-written XML

TEST(OdsReaderTest, ParagraphTextWithSpacesTabsBreaksSpansAndNotes) {
  auto book = ReadRows(Row(
      "<table:table-cell office:value-type=\"string\">"
      "<office:annotation><text:p>comment</text:p></office:annotation>"
      "<text:p>a<text:s text:c=\"3\"/>b<text:s/>c<text:tab/>d"
      "<text:line-break/><text:span>e<text:a>f</text:a></text:span>"
      "<text:note><text:note-citation>1</text:note-citation><text:note-body>"
      "<text:p>footnote</text:p></text:note-body></text:note>"
      "<text:bookmark-start text:name=\"x\"/>g  h </text:p>"
      "<text:p/><text:h>head</text:h></table:table-cell>"
      "<table:table-cell office:value-type=\"string\" "
      "office:string-value=\"attribute wins\"><text:p>shown</text:p>"
      "</table:table-cell>"
      "<table:table-cell><text:p>no value type</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"string\"/>"));
  const Sheet& s = book->sheet(0);
  EXPECT_EQ(s.Cell(1, 1).text, "a   b c\td\nefg  h \n\nhead");
  EXPECT_EQ(s.Cell(1, 2).text, "attribute wins");
  EXPECT_EQ(s.Cell(1, 3).text, "no value type");
  // A string cell without text is a stored empty text.
  EXPECT_EQ(s.Cell(1, 4).kind, CellKind::kText);
  EXPECT_EQ(s.Cell(1, 4).text, "");
}

TEST(OdsReaderTest, ValueAttributes) {
  auto cell = [](const std::string& attributes, const std::string& text = "") {
    return "<table:table-cell " + attributes + "><text:p>" + text +
           "</text:p></table:table-cell>";
  };
  auto book = ReadRows(
      Row(cell("office:value-type=\"float\" office:value=\"1e3\"") +
          cell("office:value-type=\"float\" office:value=\"oops\"", "shown") +
          cell("office:value-type=\"boolean\" office:boolean-value=\"false\"") +
          cell("office:value-type=\"date\" "
               "office:date-value=\"1899-12-30T06:00:00.5\"") +
          cell("office:value-type=\"date\" "
               "office:date-value=\"2000-01-01T00:00:00Z\"") +
          cell("office:value-type=\"time\" office:time-value=\"-PT6H\"") +
          cell("office:value-type=\"time\" office:time-value=\"P1DT12H30M\"") +
          cell("office:value-type=\"date\" office:date-value=\"soon\"",
               "soon")) +
      Row(cell("table:formula=\"of:=1/0\" office:value-type=\"float\" "
               "office:value=\"0\"",
               "#DIV/0!") +
          cell("office:value-type=\"float\" office:value=\"0\"", "#N/A") +
          cell("table:formula=\"of:=X()\" office:value-type=\"string\" "
               "calcext:value-type=\"error\"",
               "#NAME?") +
          cell("table:formula=\"of:=[.A1]\"") +
          "<table:table-cell table:formula=\"of:=1\" "
          "table:number-columns-repeated=\"2\"/>") +
      // Values with references are decoded into scratch space that the
      // tags after them reuse.
      Row("<table:table-cell office:value-type=\"fl&#x6F;at\" "
          "office:value=\"1&#x30;\"><text:p><text:a xlink:href=\"" +
          std::string(300, 'x') +
          "&amp;\">ten</text:a></text:p>"
          "</table:table-cell><table:table-cell "
          "office:value-type=\"string\" office:string-value=\"a&amp;b\">"
          "<text:p><text:span text:style-name=\"&#x54;1\">shown</text:span>"
          "</text:p></table:table-cell>"));
  const Sheet& s = book->sheet(0);
  EXPECT_EQ(s.Cell(3, 1).number, 10);
  EXPECT_EQ(s.Cell(3, 2).text, "a&b");
  EXPECT_EQ(s.Cell(1, 1).number, 1000);
  EXPECT_EQ(s.Cell(1, 2).text, "shown");
  EXPECT_EQ(s.Cell(1, 3).kind, CellKind::kBoolean);
  EXPECT_EQ(s.Cell(1, 3).number, 0);
  EXPECT_NEAR(s.Cell(1, 4).number, (6 * 3600 + 0.5) / 86400, 1e-12);
  EXPECT_EQ(s.Cell(1, 5).number, 36526);  // the zone is ignored
  EXPECT_EQ(s.Cell(1, 6).number, -0.25);
  EXPECT_TRUE(s.Cell(1, 6).time_only);
  EXPECT_NEAR(s.Cell(1, 7).number, 1.5 + 30.0 / 1440, 1e-12);
  EXPECT_EQ(s.Cell(1, 8).text, "soon");  // an unreadable date: its text
  // An error result stored as 0 is the error; a plain 0 stays a number
  // whatever its shown text.
  EXPECT_EQ(s.Cell(2, 1).kind, CellKind::kError);
  EXPECT_EQ(s.Cell(2, 1).text, "#DIV/0!");
  EXPECT_EQ(s.Cell(2, 2).kind, CellKind::kNumber);
  EXPECT_EQ(s.Cell(2, 3).text, "#NAME?");
  EXPECT_TRUE(s.Cell(2, 3).is_error());
  EXPECT_TRUE(s.Cell(2, 4).is_empty());
  EXPECT_EQ(book->formulas_without_value(), 3);
}

TEST(OdsReaderTest, RepeatsFillTheSheetUpToItsLimits) {
  const std::string value =
      "<table:table-cell office:value-type=\"float\" office:value=\"1\"";
  auto book = ReadRows(
      Row(value + " table:number-columns-repeated=\"2\"/>",
          " table:number-rows-repeated=\"3\"") +
      Row("<table:table-cell table:number-columns-repeated=\"99999999\"/>",
          " table:number-rows-repeated=\"1048569\"") +
      Row(value + " table:number-columns-repeated=\"16384\"/>",
          " table:number-rows-repeated=\"2\"") +
      Row(value + "/>", " table:number-rows-repeated=\"1\"") +
      Row("<table:table-cell table:number-columns-repeated=\"16383\"/>" +
          value + "/><table:table-cell table:number-columns-repeated=\"9\"/>"));
  const Sheet& s = book->sheet(0);
  EXPECT_EQ(s.Cell(3, 2).number, 1);
  EXPECT_TRUE(s.Cell(4, 1).is_empty());
  EXPECT_EQ(s.Cell(1048574, kMaxColumns).number, 1);
  EXPECT_EQ(s.Cell(1048575, 1).number, 1);
  EXPECT_EQ(s.Cell(kMaxRows, kMaxColumns).number, 1);
  EXPECT_EQ(s.cell_count(), 6u + 2 * 16384 + 2);
  EXPECT_EQ(s.UsedRange(), (BlockGeometry{1, kMaxRows, 1, kMaxColumns}));
}

// A value beyond the last row or column is refused, naming its cell, as
// the xlsx and csv readers refuse it: never dropped without a word.
TEST(OdsReaderTest, ValuesBeyondTheSheetAreRefused) {
  const std::string value =
      "<table:table-cell office:value-type=\"float\" office:value=\"1\"";
  const std::string empty_rows =
      Row("<table:table-cell/>", " table:number-rows-repeated=\"1048575\"");
  const struct {
    std::string rows;
    std::string cell;
  } cases[] = {
      {Row(value + " table:number-columns-repeated=\"16385\"/>"),
       "row 1, column 16385"},
      {Row("<table:table-cell table:number-columns-repeated=\"99999999\"/>" +
           value + "/>"),
       "row 1, column 100000000"},
      {empty_rows + Row(value + "/>", " table:number-rows-repeated=\"2\""),
       "row 1048577, column 1"},
      {empty_rows + Row("<table:table-cell/>") + Row(value + "/>"),
       "row 1048577, column 1"},
      {Row(value + " table:number-columns-repeated=\"9223372036854775807\"/>",
           " table:number-rows-repeated=\"9223372036854775807\""),
       "row 1, column 16385"},
  };
  for (const auto& [rows, cell] : cases) {
    EXPECT_THAT(ErrorOf(OdsParts(OneTable(rows))),
                HasSubstr("the cell at " + cell +
                          " of the sheet \"S\" lies outside the worksheet"));
  }
}

// One cell's repeats can claim more cells than a machine holds; each cell
// stored is charged to the budget, and the count of formulas without a
// value grows by the cells a repeat fills, never past what an int holds.
TEST(OdsReaderTest, HugeRepeatsStayWithinTheBudget) {
  EXPECT_THAT(ErrorOf(OdsParts(OneTable(Row(
                  "<table:table-cell office:value-type=\"string\" "
                  "table:number-columns-repeated=\"16384\"><text:p>x</text:p>"
                  "</table:table-cell>",
                  " table:number-rows-repeated=\"1048576\"")))),
              HasSubstr("more than 16000000 cells"));
  const std::string formulas =
      "<table:table-cell table:formula=\"of:=A1\" "
      "table:number-columns-repeated=\"16384\"/>";
  std::string rows;
  for (int i = 0; i < 200; ++i) {
    rows += Row(formulas, " table:number-rows-repeated=\"5000\"");
  }
  EXPECT_EQ(ReadRows(rows)->formulas_without_value(),
            std::numeric_limits<int>::max());
}

// text:s turns a few bytes into millions of spaces: a cell holds at most
// 16 MB of text, and the spaces of all cells together are budgeted.
TEST(OdsReaderTest, RepeatedSpacesStayWithinTheBudget) {
  const std::string cell =
      "<table:table-cell office:value-type=\"string\"><text:p>"
      "<text:s text:c=\"16777216\"/></text:p></table:table-cell>";
  EXPECT_THAT(
      ErrorOf(OdsParts(OneTable(Row(cell + cell + cell + cell + cell)))),
      HasSubstr("text:s"));
  EXPECT_THAT(ErrorOf(OdsParts(OneTable(
                  Row("<table:table-cell><text:p><text:s text:c=\"16777216\"/>"
                      "<text:s/></text:p></table:table-cell>")))),
              HasSubstr("more than 16 MB of text"));
}

// The rows of a large content.xml are let go of as they are read, all but
// the names of the elements still open around them: megabytes of rows in
// header rows and nested groups, in two tables, after a byte-order mark.
// A text met again, in either table, is kept once; each cell reads its own.
TEST(OdsReaderTest, LargeContentReadWholeWithRepeatedTextsKeptOnce) {
  constexpr int kRows = 8000;
  const std::string kCities[] = {"Athens", "Berlin", "Cairo", "Dublin"};
  auto customer = [](int row) {
    return "Customer " + std::to_string(row) + std::string(200, '.');
  };
  auto text = [](const std::string& value) {
    return "<table:table-cell office:value-type=\"string\"><text:p>" + value +
           "</text:p></table:table-cell>";
  };
  auto rows = [&](int first, int last) {
    std::string xml;
    for (int row = first; row <= last; ++row) {
      xml += Row(text(kCities[row % 4]) + text(customer(row)) +
                 "<table:table-cell office:value-type=\"float\" "
                 "office:value=\"" +
                 std::to_string(row) + "\"/>");
    }
    return xml;
  };
  const std::string content =
      "\xEF\xBB\xBF" +
      ContentXml(
          "<table:table table:name=\"Grouped\"><table:table-header-rows>" +
          rows(1, 2) + "</table:table-header-rows><table:table-row-group>" +
          rows(3, kRows / 2) + "<table:table-row-group>" +
          rows(kRows / 2 + 1, kRows - 1) +
          "</table:table-row-group></table:table-row-group>" +
          rows(kRows, kRows) +
          "</table:table><table:table table:name=\"Plain\">" + rows(1, kRows) +
          "</table:table>");
  ASSERT_GT(content.size(), std::size_t{4} << 20);
  auto book = ReadParts(OdsParts(content));
  ASSERT_EQ(book->sheet_count(), 2);
  for (int sheet = 0; sheet < 2; ++sheet) {
    const Sheet& s = book->sheet(sheet);
    ASSERT_EQ(s.cell_count(), 3u * kRows);
    for (int row = 1; row <= kRows; ++row) {
      ASSERT_EQ(s.Cell(row, 1).text, kCities[row % 4]) << sheet << " " << row;
      ASSERT_EQ(s.Cell(row, 2).text, customer(row)) << sheet << " " << row;
      ASSERT_EQ(s.Cell(row, 3).number, row) << sheet << " " << row;
    }
  }
  EXPECT_LT(book->strings().size(), std::size_t{2} * kRows);
}

// LibreOffice saves a truth value it imported, or got from =TRUE(), as the
// number 1 or 0 with a boolean number style, and shows TRUE or FALSE.
TEST(OdsReaderTest, NumbersShownAsTruthValuesAreBooleans) {
  const std::string styles =
      "<style:style style:name=\"ce1\" style:family=\"table-cell\" "
      "style:data-style-name=\"N99\"/>"
      "<number:boolean-style style:name=\"N99\"><number:boolean/>"
      "</number:boolean-style>"
      "<number:number-style style:name=\"N2\"><number:number/>"
      "</number:number-style>"
      "<style:style style:name=\"ce2\" style:family=\"table-cell\" "
      "style:data-style-name=\"N2\"/>";
  auto cell = [](const std::string& attributes, const std::string& shown) {
    return "<table:table-cell" + attributes +
           " office:value-type=\"float\" "
           "calcext:value-type=\"float\"><text:p>" +
           shown + "</text:p></table:table-cell>";
  };
  const Parts parts = OdsParts(ContentXml(
      "<table:table table:name=\"S\"><table:table-column "
      "table:number-columns-repeated=\"6\" "
      "table:default-cell-style-name=\"Default\"/><table:table-column "
      "table:default-cell-style-name=\"ce1\"/>" +
          Row(cell(" table:style-name=\"ce1\" table:formula=\"of:=TRUE()\" "
                   "office:value=\"1\"",
                   "TRUE") +
              cell(" table:style-name=\"ce1\" office:value=\"0\"", "FALSE") +
              cell(" table:formula=\"of:=false( )\" office:value=\"0\"",
                   "FALSE") +
              cell(" office:value=\"1\"", "1") +
              cell(" table:style-name=\"ce2\" office:value=\"1\"", "1") +
              cell(" table:formula=\"of:=[.A1]=TRUE()\" office:value=\"1\"",
                   "1") +
              cell(" office:value=\"1\"", "TRUE") +
              cell(" table:style-name=\"ce2\" office:value=\"1\"", "1") +
              cell(" office:value=\"1\"", "1")) +
          "</table:table>",
      styles));
  const auto book = ReadParts(parts);
  const Sheet& s = book->sheet(0);
  // Column 7 takes the boolean style of its column; column 8 has a style
  // of its own, column 9 the default of no column.
  for (const auto& [column, value] :
       {std::pair{1, 1.0}, {2, 0.0}, {3, 0.0}, {7, 1.0}}) {
    EXPECT_EQ(s.Cell(1, column).kind, CellKind::kBoolean) << column;
    EXPECT_EQ(s.Cell(1, column).number, value) << column;
  }
  for (int column : {4, 5, 6, 8, 9}) {
    EXPECT_EQ(s.Cell(1, column).kind, CellKind::kNumber) << column;
  }
  // Rows read without their layout know the columns' styles too.
  EXPECT_EQ(RowsOf(parts, SheetChoice()).cells, CellsOf(s));
}

TEST(OdsReaderTest, HiddenAndActiveSheets) {
  const std::string styles =
      "<style:style style:name=\"ta2\" style:family=\"table\">"
      "<style:table-properties table:display=\"false\"/></style:style>";
  const std::string content = ContentXml(
      "<table:table table:name=\"One\"/>"
      "<table:table table:name=\"Two\" table:style-name=\"ta2\"/>"
      "<table:table table:name=\"Three &amp; more\"/><table:table/>",
      styles);
  const std::string settings =
      "<office:document-settings xmlns:office=\"o\" xmlns:config=\"c\">"
      "<office:settings><config:config-item-set config:name=\"v\">"
      "<config:config-item config:name=\"ActiveTable\" "
      "config:type=\"string\">Three &amp; more</config:config-item>"
      "</config:config-item-set></office:settings>"
      "</office:document-settings>";
  auto book = ReadParts(OdsParts(content, settings));
  ASSERT_EQ(book->sheet_count(), 4);
  EXPECT_EQ(book->sheet(3).name(), "Sheet4");
  EXPECT_FALSE(book->sheet(0).hidden());
  EXPECT_TRUE(book->sheet(1).hidden());
  EXPECT_EQ(book->sheet(2).name(), "Three & more");
  EXPECT_EQ(book->active_sheet(), 2);
  EXPECT_FALSE(book->sheet(0).UsedRange().has_value());
  // Without settings the first sheet is active.
  EXPECT_EQ(ReadParts(OdsParts(content))->active_sheet(), 0);
}

TEST(OdsReaderTest, BadPackagesNameTheProblem) {
  EXPECT_EQ(ErrorOf(OdsParts(OneTable(""), "",
                             "<manifest:manifest><manifest:file-entry>"
                             "<manifest:encryption-data/>"
                             "</manifest:file-entry></manifest:manifest>")),
            "the workbook is password-protected (encrypted)");
  EXPECT_THAT(ErrorOf(OdsParts(OneTable(Row("<table:table-cell>")))),
              HasSubstr("content.xml"));
  EXPECT_THAT(ErrorOf(OdsParts("<!DOCTYPE x><x/>")), HasSubstr("content.xml"));
  EXPECT_THAT(ErrorOf({{"mimetype", kMimeType}}), HasSubstr("content.xml"));
  EXPECT_THAT(ErrorOf(OdsParts("<office:document-content/>")),
              HasSubstr("no spreadsheet"));
  EXPECT_THAT(ErrorOf(OdsParts(ContentXml(""))), HasSubstr("no sheets"));
  EXPECT_THAT(ErrorOf(OdsParts(OneTable(""), "<unclosed>")),
              HasSubstr("settings.xml"));
}

// ------------------------------------------------------ one sheet's rows

std::string Settings(const std::string& active_table) {
  return "<office:document-settings xmlns:office=\"o\" xmlns:config=\"c\">"
         "<office:settings><config:config-item-set config:name=\"v\">"
         "<config:config-item config:name=\"ActiveTable\" "
         "config:type=\"string\">" +
         active_table +
         "</config:config-item></config:config-item-set></office:settings>"
         "</office:document-settings>";
}

// A table named `name` whose one row holds the text `name` in B`row`.
std::string Table(const std::string& name, int row) {
  return "<table:table table:name=\"" + name + "\">" +
         Row("<table:table-cell/>", " table:number-rows-repeated=\"" +
                                        std::to_string(row - 1) + "\"") +
         Row("<table:table-cell/><table:table-cell "
             "office:value-type=\"string\"><text:p>" +
             name + "</text:p></table:table-cell>") +
         "</table:table>";
}

TEST(OdsReaderTest, RowsOfTheSheetChosenByNameNumberOrActive) {
  const std::string tables =
      ContentXml(Table("One", 2) + Table("Two", 3) + Table("Three", 4));
  const struct {
    std::string name;  // of the sheet chosen
    std::optional<int> number;
    std::string settings;  // its active table; none without
    int index;
  } cases[] = {
      {"tWO", std::nullopt, Settings("Three"), 1},
      {"", 3, "", 2},
      {"", std::nullopt, Settings("Two"), 1},
      {"", std::nullopt, "", 0},
      // An active table the file lacks: the first, as spreadsheet
      // applications open such a file.
      {"", std::nullopt, Settings("Gone"), 0},
  };
  const std::string names[] = {"One", "Two", "Three"};
  for (const auto& [name, number, settings, index] : cases) {
    SCOPED_TRACE(index);
    SheetRead read;
    const RowCollector rows =
        RowsOf(OdsParts(tables, settings), SheetChoice{name, number}, &read);
    EXPECT_EQ(read.index, index);
    EXPECT_EQ(read.name, names[index]);
    const CollectedCell cell{index + 2, 2, CellKind::kText,
                             false,     0, names[index]};
    EXPECT_EQ(rows.cells, std::vector<CollectedCell>{cell});
  }
  for (const auto& [choice, reason] :
       {std::pair{SheetChoice{"Nope", std::nullopt}, "no sheet named 'Nope'"},
        std::pair{SheetChoice{{}, 4},
                  "no sheet number 4 (the workbook has 3)"}}) {
    try {
      RowsOf(OdsParts(tables), choice);
      ADD_FAILURE() << reason;
    } catch (const WorkbookError& error) {
      EXPECT_EQ(error.reason(), reason);
    }
  }
}

// Reading the rows of a table ends where that table ends: what follows is
// never parsed, however damaged, and repeats are charged to the budget
// before any of their rows is sent.
TEST(OdsReaderTest, RowsStopWhereTheChosenTableEnds) {
  const Parts parts = OdsParts(
      ContentXml(Table("Good", 1) +
                 "<table:table table:name=\"Damaged\"><table:table-row>"
                 "<table:table-cell></table:table-row></table:table>"));
  EXPECT_EQ(RowsOf(parts, SheetChoice{"Good", std::nullopt}).cells.size(), 1u);
  EXPECT_THROW(RowsOf(parts, SheetChoice{"Damaged", std::nullopt}),
               WorkbookError);
  EXPECT_THROW(ReadParts(parts), WorkbookError);

  RowCollector rows;
  const std::string huge = WritePackage(
      "huge.ods",
      OdsParts(OneTable(Row("<table:table-cell office:value-type=\"string\" "
                            "table:number-columns-repeated=\"16384\"><text:p>x"
                            "</text:p></table:table-cell>",
                            " table:number-rows-repeated=\"1048576\""))));
  EXPECT_THROW(OpenWorkbookFile(huge)->ReadRows(SheetChoice(), rows),
               WorkbookError);
  EXPECT_TRUE(rows.rows.empty());
}

// The sheet's widths, heights and merged areas go to a sink that wants
// them, as they go into the model; formulas without a value are counted
// for the chosen sheet alone.
TEST(OdsReaderTest, RowsCarryTheLayoutAndFormulasOfTheirSheet) {
  const std::string path = WritePackage(
      "layout.ods",
      OdsParts(ReadText(std::string(KESTRILO_FIXTURES_DIR) + "/layout.fods")));
  const auto model = ReadWorkbook(path);
  RowCollector rows(true);
  OpenWorkbookFile(path)->ReadRows(SheetChoice::AtIndex(0), rows);
  rows.sheet_layout.Finish();
  const SheetLayout& expected = model->sheet(0).layout();
  ExpectSpans(rows.sheet_layout.columns(), expected.columns());
  ExpectSpans(rows.sheet_layout.rows(), expected.rows());
  EXPECT_EQ(rows.sheet_layout.merged_areas(), expected.merged_areas());
  EXPECT_EQ(rows.cells, CellsOf(model->sheet(0)));

  const std::string formula = "<table:table-cell table:formula=\"of:=A1\"/>";
  SheetRead read;
  RowsOf(OdsParts(ContentXml("<table:table table:name=\"A\">" +
                             Row(formula + formula) +
                             "</table:table><table:table table:name=\"B\">" +
                             Row(formula) + "</table:table>")),
         SheetChoice{"B", std::nullopt}, &read);
  EXPECT_EQ(read.formulas_without_value, 1);
}

// ------------------------------------------------------ damaged files

// Reading must end in a workbook or a WorkbookError: anything else (a crash,
// another exception) fails the test, and sanitizer builds check memory.
void ReadDamaged(const std::string& bytes, const std::string& what) {
  const std::string path = TestFilePath("damaged.ods");
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  try {
    auto book = ReadWorkbook(path);
    EXPECT_GT(book->sheet_count(), 0) << what;
  } catch (const WorkbookError& error) {
    EXPECT_FALSE(error.reason().empty()) << what;
  } catch (const std::exception& error) {
    ADD_FAILURE() << what << ": " << error.what();
  }
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(OdsReaderTest, TruncatedAndBitFlippedFixture) {
  const std::string bytes = FileBytes(kFixture);
  ASSERT_GT(bytes.size(), 1000u);
  for (std::size_t size = 0; size < bytes.size(); size += 131) {
    ReadDamaged(bytes.substr(0, size), "truncated at " + std::to_string(size));
  }
  std::mt19937 random(20240229);
  for (std::size_t offset = 0; offset < bytes.size(); offset += 83) {
    std::string damaged = bytes;
    damaged[offset] = static_cast<char>(damaged[offset] ^ (1 << random() % 8));
    ReadDamaged(damaged, "bit flipped at " + std::to_string(offset));
  }
}

// Bit flips inside the compressed parts only reach the zip checksum; these
// damage content.xml itself, in a package with correct checksums.
TEST(OdsReaderTest, DamagedContentXml) {
  std::string content = OneTable(
      Row("<table:table-cell office:value-type=\"float\" office:value=\"2\" "
          "table:number-columns-repeated=\"3\"><text:p>2</text:p>"
          "</table:table-cell><table:table-cell office:value-type=\"date\" "
          "office:date-value=\"2024-02-29T10:00:00\"/>",
          " table:number-rows-repeated=\"2\"") +
      Row("<table:table-cell office:value-type=\"string\"><text:p>a"
          "<text:s text:c=\"4\"/>&amp;<text:span>b</text:span></text:p>"
          "</table:table-cell><table:covered-table-cell "
          "office:value-type=\"time\" office:time-value=\"PT1H\"/>"));
  const std::string characters = "<>/\"'&;:=# 0179-TPSx";
  std::mt19937 random(1899);
  for (int round = 0; round < 400; ++round) {
    std::string damaged = content;
    const std::size_t at = random() % damaged.size();
    switch (round % 3) {
      case 0:
        damaged[at] = characters[random() % characters.size()];
        break;
      case 1:
        damaged.erase(at, 1 + random() % 8);
        break;
      default:
        damaged.resize(at);
        break;
    }
    const std::string path =
        WritePackage("damaged_content.ods", OdsParts(damaged));
    try {
      ReadWorkbook(path);
    } catch (const WorkbookError&) {
    } catch (const std::exception& error) {
      ADD_FAILURE() << "round " << round << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace kestrilo
