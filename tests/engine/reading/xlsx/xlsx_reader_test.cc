// SPDX-License-Identifier: MIT

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "engine/input/reader_budget.h"
#include "engine/input/workbook_error.h"
#include "engine/reading/package_reader.h"
#include "engine/reading/workbook_reader.h"
#include "engine/reading/xlsx/xlsx_workbook_reader.h"
#include "engine/writing/cell_text.h"
#include "test_package.h"

namespace kestrilo {
namespace {

using ::testing::HasSubstr;
using testing_support::OneSheetPackage;
using testing_support::Parts;
using testing_support::Relationship;
using testing_support::Relationships;
using testing_support::SheetXml;
using testing_support::TestFilePath;
using testing_support::WorkbookXml;
using testing_support::WritePackage;

const std::string kFixtures = KESTRILO_FIXTURES_DIR;

// "kind:text" of a cell, e.g. "number:42", "text:abc", "date:2024-02-29".
std::string Show(const Sheet& sheet, int row, int column) {
  const CellValue value = sheet.Cell(row, column);
  switch (value.kind) {
    case CellKind::kEmpty:
      return "empty";
    case CellKind::kNumber:
      return "number:" + CellText(value);
    case CellKind::kText:
      return "text:" + std::string(value.text);
    case CellKind::kBoolean:
      return "boolean:" + CellText(value);
    case CellKind::kDateTime:
      return (value.time_only ? "time:" : "date:") + CellText(value);
    case CellKind::kError:
      return "error:" + std::string(value.text);
  }
  return "?";
}

std::unique_ptr<Workbook> ReadParts(const std::string& name,
                                    const Parts& parts) {
  return ReadWorkbook(WritePackage(name, parts));
}

std::string ErrorReading(const std::string& name, const Parts& parts) {
  const std::string path = WritePackage(name, parts);
  try {
    ReadWorkbook(path);
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), path);
    return error.reason();
  }
  return "no error";
}

class KindsFixtureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    workbook_ = ReadWorkbook(kFixtures + "/kinds.xlsx").release();
  }
  static void TearDownTestSuite() { delete workbook_; }
  const Sheet& values() { return workbook_->sheet(0); }
  static Workbook* workbook_;
};
Workbook* KindsFixtureTest::workbook_ = nullptr;

TEST_F(KindsFixtureTest, SheetsInOrderWithVisibilityAndActiveSheet) {
  ASSERT_EQ(workbook_->sheet_count(), 4);
  EXPECT_EQ(workbook_->sheet(0).name(), "Values");
  EXPECT_EQ(workbook_->sheet(1).name(), "Hidden");
  EXPECT_TRUE(workbook_->sheet(1).hidden());
  EXPECT_EQ(workbook_->sheet(2).name(), "Active Sheet");
  EXPECT_FALSE(workbook_->sheet(2).hidden());
  EXPECT_EQ(workbook_->active_sheet(), 2);
  EXPECT_EQ(Show(workbook_->sheet(2), 2, 3), "text:active");
  // The chart sheet stays in the list, without cells.
  EXPECT_EQ(workbook_->sheet(3).name(), "Chart");
  EXPECT_EQ(workbook_->sheet(3).cell_count(), 0u);
  EXPECT_EQ(workbook_->format(), "xlsx");
}

TEST_F(KindsFixtureTest, NumbersTextsAndBooleans) {
  EXPECT_EQ(Show(values(), 1, 1), "text:Label");
  EXPECT_EQ(values().Cell(2, 2).number, 42);
  EXPECT_EQ(values().Cell(3, 2).number, -1234.5678);
  EXPECT_EQ(values().Cell(4, 2).number, 1.23456789e22);
  EXPECT_EQ(values().Cell(5, 2).number, 1e-10);
  EXPECT_EQ(Show(values(), 6, 2), "text:plain text");
  EXPECT_EQ(Show(values(), 7, 2), "text:Καλημέρα κόσμε");
  EXPECT_EQ(Show(values(), 8, 2), "text:日本語のテキスト");
  EXPECT_EQ(Show(values(), 9, 2), "text:😀 🎉");
  EXPECT_EQ(Show(values(), 10, 2), "text:line one\nline two");
  EXPECT_EQ(values().Cell(11, 2).kind, CellKind::kBoolean);
  EXPECT_EQ(values().Cell(11, 2).number, 1);
  EXPECT_EQ(values().Cell(12, 2).number, 0);
  EXPECT_EQ(Show(values(), 25, 2), "text:plain text");
}

TEST_F(KindsFixtureTest, DatesTimesAndDurationsFollowTheNumberFormat) {
  const CellValue leap_day = values().Cell(13, 2);
  EXPECT_EQ(leap_day.kind, CellKind::kDateTime);
  EXPECT_EQ(leap_day.number, 45351);  // 2024-02-29
  EXPECT_FALSE(leap_day.time_only);
  EXPECT_NEAR(values().Cell(14, 2).number,
              45351 + (13 * 3600 + 45 * 60 + 30) / 86400.0, 1e-9);
  EXPECT_EQ(Show(values(), 15, 2).substr(0, 5), "time:");
  EXPECT_EQ(values().Cell(15, 2).number, 0.75);
  EXPECT_TRUE(values().Cell(16, 2).time_only);  // [h]:mm, a duration
  EXPECT_EQ(values().Cell(16, 2).number, 1.5);
  EXPECT_EQ(values().Cell(17, 2).kind, CellKind::kDateTime);  // built-in 14
  // Percent and currency formats leave numbers numbers.
  EXPECT_EQ(Show(values(), 23, 2),
            "number:" + CellText(CellValue::Number(0.25)));
  EXPECT_EQ(values().Cell(24, 2).kind, CellKind::kNumber);
}

TEST_F(KindsFixtureTest, FormulasRichTextEscapesAndBlanks) {
  EXPECT_EQ(values().Cell(18, 2).number, 84);  // cached, not recalculated
  EXPECT_EQ(Show(values(), 19, 2), "text:ab");
  EXPECT_EQ(Show(values(), 20, 2), "empty");  // formatted but blank
  EXPECT_EQ(Show(values(), 21, 2), "text:bold and italic");
  EXPECT_EQ(Show(values(), 22, 2), "text:bell\a and tab\there");
  EXPECT_EQ(Show(values(), 1000, 26), "text:far away");
  const auto used = values().UsedRange();
  ASSERT_TRUE(used);
  EXPECT_EQ(used->last_row(), 1000);
  EXPECT_EQ(used->last_column(), 26);
}

TEST(XlsxFixtureTest, InlineStringsFromConstantMemoryWriter) {
  const auto workbook = ReadWorkbook(kFixtures + "/inline.xlsx");
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(Show(sheet, 1, 1), "text:first");
  EXPECT_EQ(Show(sheet, 1, 2), "text:Καλημέρα");
  EXPECT_EQ(sheet.Cell(1, 3).number, 3.5);
  EXPECT_EQ(Show(sheet, 2, 1), "text:日本語 😀");
  EXPECT_EQ(Show(sheet, 2, 2), "text:a < b & c > \"d\"");
  EXPECT_EQ(sheet.Cell(2, 3).kind, CellKind::kBoolean);
}

TEST(XlsxFixtureTest, Date1904WorkbookWithAbsoluteTargets) {
  const auto workbook = ReadWorkbook(kFixtures + "/date1904.xlsx");
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(sheet.name(), "Mac dates");
  EXPECT_EQ(sheet.Cell(1, 2).number, 45351);    // 2024-02-29, whatever system
  EXPECT_EQ(sheet.Cell(2, 2).number, 1463.25);  // 1904-01-02 06:00
  EXPECT_EQ(sheet.Cell(3, 2).kind, CellKind::kNumber);
  EXPECT_EQ(sheet.Cell(3, 2).number, 1462);  // plain numbers stay as stored
}

TEST(XlsxReaderTest, CellTypesOfHandWrittenSheet) {
  const auto workbook = ReadParts(
      "types.xlsx",
      OneSheetPackage("<row r=\"1\">"
                      "<c r=\"A1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                      "<c r=\"B1\" t=\"d\"><v>2021-03-04T12:30:00Z</v></c>"
                      "<c r=\"C1\" t=\"d\"><v>1900-01-01</v></c>"
                      "<c r=\"D1\" t=\"b\"><v>0</v></c>"
                      "<c r=\"E1\" t=\"str\"><f>A2</f><v>x_x000D_y</v></c>"
                      "<c r=\"F1\" t=\"inlineStr\"><is><r><t>ab</t></r>"
                      "<r><t xml:space=\"preserve\"> c</t></r>"
                      "<rPh sb=\"0\" eb=\"1\"><t>reading</t></rPh></is></c>"
                      "<c r=\"G1\"><f>SUM(A:A)</f></c>"
                      "<c r=\"H1\" t=\"str\"><f>\"\"</f><v/></c>"
                      "<c r=\"I1\" t=\"n\"><v> 1.5E3 </v></c>"
                      "</row>"));
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(Show(sheet, 1, 1), "error:#DIV/0!");
  EXPECT_EQ(Show(sheet, 1, 2), "date:2021-03-04 12:30:00");
  EXPECT_EQ(sheet.Cell(1, 3).number, 2);  // 1900-01-01 is day 2 from 1899-12-30
  EXPECT_EQ(Show(sheet, 1, 4),
            "boolean:" + CellText(CellValue::Boolean(false)));
  EXPECT_EQ(Show(sheet, 1, 5), "text:x\ry");
  EXPECT_EQ(Show(sheet, 1, 6), "text:ab c");
  EXPECT_EQ(Show(sheet, 1, 7), "empty");  // formula without cached value
  EXPECT_EQ(Show(sheet, 1, 8), "empty");  // cached empty text
  EXPECT_EQ(sheet.Cell(1, 9).number, 1500);
  EXPECT_EQ(workbook->formulas_without_value(), 1);
}

TEST(XlsxReaderTest, SharedStringsJoinRunsAndSkipPhonetics) {
  const auto workbook = ReadParts(
      "shared.xlsx",
      OneSheetPackage(
          "<row><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c>"
          "<c t=\"s\"><v>2</v></c><c t=\"s\"><v>3</v></c>"
          "<c t=\"s\"><v>4</v></c><c t=\"s\"><v>5</v></c>"
          "<c t=\"s\"><v>6</v></c><c t=\"s\"><v>7</v></c></row>",
          "<si><t>plain</t></si>"
          "<si><r><rPr><b/></rPr><t>rich</t></r><r><t> text</t></r>"
          "<rPh><t>ignored</t></rPh><phoneticPr fontId=\"1\"/></si>"
          "<si><t>_x005F_x0041_ is literal, _x0041_ is A, _x00e9_</t></si>"
          "<si><t/></si><si></si><si><t>a &amp; b</t></si>"
          "<x:si><x:t>prefixed</x:t></x:si><si><u>no text</u></si>"
          "<si><t>padding the items out beyond sixty-four bytes</t></si>"));
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(Show(sheet, 1, 1), "text:plain");
  EXPECT_EQ(Show(sheet, 1, 2), "text:rich text");
  EXPECT_EQ(Show(sheet, 1, 3), "text:_x0041_ is literal, A is A, é");
  EXPECT_EQ(Show(sheet, 1, 4), "text:");  // a stored empty string
  EXPECT_EQ(Show(sheet, 1, 5), "text:");
  EXPECT_EQ(Show(sheet, 1, 6), "text:a & b");
  EXPECT_EQ(Show(sheet, 1, 7), "text:prefixed");
  EXPECT_EQ(Show(sheet, 1, 8), "text:");
}

TEST(XlsxReaderTest, RowsAndCellsWithoutReferencesFollowOnePrevious) {
  const auto workbook = ReadParts(
      "noref.xlsx", OneSheetPackage("<row><c><v>1</v></c><c><v>2</v></c></row>"
                                    "<row r=\"5\"><c r=\"C5\"><v>3</v></c>"
                                    "<c><v>4</v></c></row>"
                                    "<row><c><v>5</v></c></row>"));
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(sheet.Cell(1, 1).number, 1);
  EXPECT_EQ(sheet.Cell(1, 2).number, 2);
  EXPECT_EQ(sheet.Cell(5, 3).number, 3);
  EXPECT_EQ(sheet.Cell(5, 4).number, 4);
  EXPECT_EQ(sheet.Cell(6, 1).number, 5);
}

TEST(XlsxReaderTest, ReferencesReadWhetherOrNotTheyEndWithTheRowNumber) {
  const auto workbook = ReadParts(
      "references.xlsx",
      OneSheetPackage("<row r=\"05\"><c r=\"A05\"><v>1</v></c>"
                      "<c r=\"b5\"><v>2</v></c><c r=\"C7\"><v>3</v></c>"
                      "<c r=\"D5\"><v>4</v></c><c r=\"xfd5\"><v>5</v></c></row>"
                      "<row r=\"9\"><c r=\"AB19\"><v>6</v></c></row>"));
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(sheet.Cell(5, 1).number, 1);
  EXPECT_EQ(sheet.Cell(5, 2).number, 2);
  EXPECT_EQ(sheet.Cell(7, 3).number, 3);
  EXPECT_EQ(sheet.Cell(5, 4).number, 4);
  EXPECT_EQ(sheet.Cell(5, 16384).number, 5);
  EXPECT_EQ(sheet.Cell(19, 28).number, 6);
  EXPECT_THAT(ErrorReading("wide.xlsx",
                           OneSheetPackage("<row r=\"5\"><c r=\"XFE5\"><v>1</v>"
                                           "</c></row>")),
              HasSubstr("bad reference \"XFE5\""));
}

TEST(XlsxReaderTest, IgnoresHugeDimensionClaims) {
  Parts parts = OneSheetPackage("<row r=\"3\"><c r=\"B3\"><v>1</v></c></row>");
  parts[2].second.insert(parts[2].second.find("<sheetData>"),
                         "<dimension ref=\"A1:XFD1048576\"/>");
  const auto workbook = ReadParts("dimension.xlsx", parts);
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(sheet.cell_count(), 1u);
  const auto used = sheet.UsedRange();
  ASSERT_TRUE(used);
  EXPECT_EQ(used->first_row, 3);
  EXPECT_EQ(used->row_count, 1);
  EXPECT_EQ(used->column_count, 1);
}

TEST(XlsxReaderTest, StylesDecideDatesTimesAndNumbers) {
  const std::string styles =
      "<numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"&quot;Day&quot; 0\"/>"
      "<numFmt numFmtId=\"166\" formatCode=\"h:mm AM/PM\"/></numFmts>"
      "<cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf "
      "numFmtId=\"165\"/>"
      "<xf numFmtId=\"166\"/><xf numFmtId=\"46\"/><xf "
      "numFmtId=\"22\"/></cellXfs>";
  const auto workbook = ReadParts(
      "styles.xlsx", OneSheetPackage("<row r=\"1\"><c r=\"A1\"><v>45000</v></c>"
                                     "<c r=\"B1\" s=\"1\"><v>45000</v></c>"
                                     "<c r=\"C1\" s=\"2\"><v>7</v></c>"
                                     "<c r=\"D1\" s=\"3\"><v>0.5</v></c>"
                                     "<c r=\"E1\" s=\"3\"><v>45000.5</v></c>"
                                     "<c r=\"F1\" s=\"4\"><v>1.25</v></c>"
                                     "<c r=\"G1\" s=\"5\"><v>59.5</v></c>"
                                     "<c r=\"H1\" s=\"99\"><v>3</v></c></row>",
                                     "", styles));
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(sheet.Cell(1, 1).kind, CellKind::kNumber);
  EXPECT_EQ(Show(sheet, 1, 2), "date:2023-03-15");
  EXPECT_EQ(sheet.Cell(1, 3).kind, CellKind::kNumber);  // "Day" is quoted
  EXPECT_EQ(Show(sheet, 1, 4), "time:12:00:00");
  // A time format on a whole date-time still holds the date.
  EXPECT_EQ(Show(sheet, 1, 5), "date:2023-03-15 12:00:00");
  EXPECT_EQ(Show(sheet, 1, 6), "time:30:00:00");
  // Serials before 1900-03-01 count the phantom 29 February 1900.
  EXPECT_EQ(Show(sheet, 1, 7), "date:1900-02-28 12:00:00");
  EXPECT_EQ(sheet.Cell(1, 8).kind, CellKind::kNumber);  // unknown style
}

TEST(XlsxReaderTest, WorkbookPropertiesAndVisibility) {
  Parts parts =
      OneSheetPackage("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c></row>", "",
                      "<cellXfs><xf/><xf numFmtId=\"14\"/></cellXfs>");
  parts[1].second = WorkbookXml(
      "<sheet name=\"One\" sheetId=\"1\" r:id=\"rId1\"/>"
      "<sheet name=\"Two\" sheetId=\"2\" state=\"hidden\" r:id=\"rId1\"/>"
      "<sheet name=\"Three\" sheetId=\"3\" state=\"veryHidden\" "
      "r:id=\"rId1\"/>",
      "<workbookPr date1904=\"true\"/><bookViews><workbookView "
      "activeTab=\"1\"/>"
      "</bookViews>");
  // An extension repeating workbookPr must not undo the date system.
  parts[1].second.insert(parts[1].second.find("</workbook>"),
                         "<extLst><ext><x15:workbookPr xmlns:x15=\"u\" "
                         "chartTrackingRefBase=\"1\"/></ext></extLst>");
  const auto workbook = ReadParts("props.xlsx", parts);
  ASSERT_EQ(workbook->sheet_count(), 3);
  EXPECT_FALSE(workbook->sheet(0).hidden());
  EXPECT_TRUE(workbook->sheet(1).hidden());
  EXPECT_TRUE(workbook->sheet(2).hidden());
  EXPECT_EQ(workbook->active_sheet(), 1);
  EXPECT_EQ(Show(workbook->sheet(0), 1, 1), "date:1904-01-01");
}

TEST(XlsxReaderTest, PrefixedStrictUtf16AndAbsoluteParts) {
  const std::string strict =
      "http://purl.oclc.org/ooxml/officeDocument/relationships/";
  const std::string sheet =
      "<x:worksheet xmlns:x=\"http://purl.oclc.org/ooxml/spreadsheetml/main\">"
      "<x:sheetData><x:row r=\"2\"><x:c r=\"B2\" t=\"inlineStr\"><x:is><x:t>"
      "ελληνικά</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>";
  std::u16string wide;
  for (char32_t c : std::u32string(U"")) wide += static_cast<char16_t>(c);
  std::string utf16("\xFF\xFE", 2);
  // UTF-8 to UTF-16LE for the BMP text above.
  for (std::size_t i = 0; i < sheet.size();) {
    unsigned char c = sheet[i];
    char32_t code;
    if (c < 0x80) {
      code = c;
      i += 1;
    } else {
      code = ((c & 0x1F) << 6) | (sheet[i + 1] & 0x3F);
      i += 2;
    }
    utf16 += static_cast<char>(code & 0xFF);
    utf16 += static_cast<char>(code >> 8);
  }
  const Parts parts = {
      {"_rels/.rels",
       "<Relationships><Relationship Id=\"r\" Type=\"" + strict +
           "officeDocument\" Target=\"/xl/wb.xml\"/></Relationships>"},
      {"xl/wb.xml",
       "<x:workbook xmlns:x=\"s\" xmlns:r=\"t\"><x:sheets><x:sheet name=\"S\" "
       "sheetId=\"1\" r:id=\"rId9\"/></x:sheets></x:workbook>"},
      {"xl/_rels/wb.xml.rels",
       "<Relationships><Relationship Id=\"rId9\" Type=\"" + strict +
           "worksheet\" Target=\"/xl/worksheets/../sheets/one.xml\"/>"
           "</Relationships>"},
      {"xl/sheets/one.xml", utf16},
  };
  const auto workbook = ReadParts("strict.xlsx", parts);
  EXPECT_EQ(Show(workbook->sheet(0), 2, 2), "text:ελληνικά");
}

TEST(XlsxReaderTest, FindsTheWorkbookWithoutRootRelationships) {
  Parts parts = OneSheetPackage("<row><c><v>7</v></c></row>");
  parts.erase(parts.begin());  // no _rels/.rels
  for (auto& [name, content] : parts) {
    if (name.starts_with("xl/")) name = "book/" + name.substr(3);
  }
  parts.push_back(
      {"[Content_Types].xml",
       "<Types><Override PartName=\"/book/workbook.xml\" "
       "ContentType=\"application/"
       "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
       "</Types>"});
  const auto workbook = ReadParts("content_types.xlsx", parts);
  EXPECT_EQ(workbook->sheet(0).Cell(1, 1).number, 7);
}

TEST(XlsxReaderTest, ToleratesBareIdsAndEncodedTargets) {
  Parts parts = OneSheetPackage("<row><c><v>8</v></c></row>");
  parts[1].second =
      WorkbookXml("<sheet name=\"S\" sheetId=\"1\" id=\"rId1\"/>");
  parts[2].first = "xl/worksheets/sheet 1.xml";
  parts.back().second = Relationships(
      Relationship("rId1", "worksheet", "worksheets/sheet%201.xml"));
  const auto workbook = ReadParts("encoded.xlsx", parts);
  EXPECT_EQ(workbook->sheet(0).Cell(1, 1).number, 8);
}

TEST(XlsxReaderTest, DamagedContentIsRefusedWithTheReason) {
  EXPECT_THAT(
      ErrorReading("bad_xml.xlsx", OneSheetPackage("<row><c><v>1</c></row>")),
      HasSubstr("malformed XML in the part xl/worksheets/sheet1.xml"));
  EXPECT_THAT(
      ErrorReading("bad_ref.xlsx",
                   OneSheetPackage("<row><c r=\"1A\"><v>1</v></c></row>")),
      HasSubstr("bad reference \"1A\""));
  // Row 0 does not exist; read as row 1 it would overwrite A1.
  EXPECT_THAT(
      ErrorReading("row_zero.xlsx",
                   OneSheetPackage("<row r=\"1\"><c r=\"A1\"><v>1</v>"
                                   "</c><c r=\"A0\"><v>2</v></c></row>")),
      HasSubstr("bad reference \"A0\""));
  EXPECT_THAT(
      ErrorReading("far_row.xlsx",
                   OneSheetPackage("<row r=\"1048577\"><c><v>1</v></c></row>")),
      HasSubstr("bad number"));
  EXPECT_THAT(
      ErrorReading("far_col.xlsx",
                   OneSheetPackage("<row><c r=\"XFE1\"><v>1</v></c></row>")),
      HasSubstr("bad reference"));
  EXPECT_THAT(ErrorReading("bad_number.xlsx",
                           OneSheetPackage("<row><c><v>12abc</v></c></row>")),
              HasSubstr("holds no number: \"12abc\""));
  EXPECT_THAT(
      ErrorReading("bad_bool.xlsx",
                   OneSheetPackage("<row><c t=\"b\"><v>2</v></c></row>")),
      HasSubstr("no boolean"));
  EXPECT_THAT(
      ErrorReading("bad_date.xlsx",
                   OneSheetPackage("<row><c t=\"d\"><v>soon</v></c></row>")),
      HasSubstr("no date"));
  EXPECT_THAT(ErrorReading("bad_shared.xlsx",
                           OneSheetPackage("<row><c t=\"s\"><v>3</v></c></row>",
                                           "<si><t>only</t></si>")),
              HasSubstr("missing shared string \"3\""));
  EXPECT_THAT(ErrorReading("dtd.xlsx",
                           OneSheetPackage("<!DOCTYPE x [<!ENTITY a \"b\">]>")),
              HasSubstr("DTD"));
  Parts no_sheet_part = OneSheetPackage("");
  no_sheet_part.erase(no_sheet_part.begin() + 2);
  EXPECT_THAT(
      ErrorReading("no_sheet.xlsx", no_sheet_part),
      HasSubstr("xl/worksheets/sheet1.xml of the sheet \"Sheet1\" is missing"));
  Parts no_sheets = OneSheetPackage("");
  no_sheets[1].second = WorkbookXml("");
  EXPECT_THAT(ErrorReading("no_sheets.xlsx", no_sheets),
              HasSubstr("no sheets"));
}

// ------------------------------------------------------------------ layout

TEST(XlsxReaderTest, LayoutOfLibxlsxwriterFixture) {
  const auto book = ReadWorkbook(kFixtures + "/layout.xlsx");
  const SheetLayout& layout = book->sheet(0).layout();
  using Span = SheetLayout::Span;
  EXPECT_EQ(layout.default_column_width(), 48.0f);
  EXPECT_EQ(layout.default_row_height(), 15.0f);
  // Widths of 20, 12 and 2.5 digits: 145, 89 and 23 pixels.
  EXPECT_EQ(layout.columns(),
            (std::vector<Span>{{2, 3, 108.75f, false},
                               {4, 4, 66.75f, true},
                               {6, kMaxColumns, 17.25f, false}}));
  EXPECT_EQ(layout.rows(), (std::vector<Span>{{3, 3, 30.0f, false},
                                              {5, 5, std::nullopt, true}}));
  EXPECT_EQ(layout.merged_areas(),
            (std::vector<BlockGeometry>{{7, 2, 1, 3}, {10, 1, 4, 2}}));
  EXPECT_EQ(book->sheet(0).Cell(7, 1).text, "merged");
  EXPECT_EQ(book->sheet(1).layout().default_row_height(), 24.0f);
  EXPECT_TRUE(book->sheet(1).layout().rows().empty());
}

TEST(XlsxReaderTest, LayoutOutsideTheWorksheetIsLeftOut) {
  Parts parts = OneSheetPackage("");
  parts[2].second = std::string("<worksheet xmlns=\"") +
                    testing_support::kMainNamespace +
                    "\"><sheetFormatPr baseColWidth=\"10\" "
                    "defaultRowHeight=\"20\"/><cols>"
                    "<col min=\"0\" max=\"3\" width=\"9\"/>"
                    "<col min=\"5\" max=\"99999\" width=\"-2\" hidden=\"1\"/>"
                    "<col min=\"20000\" max=\"20001\" width=\"9\"/>"
                    "<col min=\"2\" max=\"1\" width=\"9\"/></cols><sheetData>"
                    "<row r=\"2\" ht=\"1e9\" hidden=\"true\"/>"
                    "<row r=\"3\" ht=\"20\"/><row r=\"4\" ht=\"0\"/>"
                    "</sheetData><mergeCells>"
                    "<mergeCell ref=\"A1:XFE2\"/>"
                    "<mergeCell ref=\"A1048576:B1048577\"/>"
                    "<mergeCell ref=\"B2:A1\"/><mergeCell ref=\"A1\"/>"
                    "<mergeCell ref=\"XFD1048576:XFD1048576\"/>"
                    "</mergeCells></worksheet>";
  const auto book = ReadParts("layout_bounds.xlsx", parts);
  const SheetLayout& layout = book->sheet(0).layout();
  using Span = SheetLayout::Span;
  EXPECT_EQ(layout.default_column_width(), 60.0f);  // 75 px, up to 80
  EXPECT_EQ(layout.default_row_height(), 20.0f);
  EXPECT_EQ(layout.columns(),
            (std::vector<Span>{{5, kMaxColumns, std::nullopt, true}}));
  EXPECT_EQ(layout.rows(), (std::vector<Span>{{2, 2, std::nullopt, true},
                                              {4, 4, 0.0f, false}}));
  EXPECT_EQ(layout.merged_areas(),
            (std::vector<BlockGeometry>{{kMaxRows, 1, kMaxColumns, 1}}));
}

// ------------------------------------------------------------ the budget

// A part listed for several sheets is read once; the later sheets show the
// same cells, which count against the budget like any others.
TEST(XlsxReaderTest, ASheetPartListedTwiceIsReadOnce) {
  Parts parts = OneSheetPackage("<row r=\"2\"><c r=\"B2\"><v>7</v></c></row>");
  parts[1].second = WorkbookXml(
      "<sheet name=\"One\" sheetId=\"1\" r:id=\"rId1\"/>"
      "<sheet name=\"Two\" sheetId=\"2\" r:id=\"rId1\"/>");
  const auto book = ReadParts("listed_twice.xlsx", parts);
  ASSERT_EQ(book->sheet_count(), 2);
  EXPECT_EQ(book->sheet(1).name(), "Two");
  EXPECT_EQ(book->sheet(1).Cell(2, 2).number, 7);

  std::string sheets;
  for (int i = 1; i <= 2000; ++i) {
    sheets += "<sheet name=\"S" + std::to_string(i) + "\" sheetId=\"" +
              std::to_string(i) + "\" r:id=\"rId1\"/>";
  }
  parts[1].second = WorkbookXml(sheets);
  ReaderBudget::Limits limits;
  limits.cells = 1000;
  const ReaderBudget::ScopedLimits scoped(limits);
  EXPECT_THAT(ErrorReading("listed_2000.xlsx", parts),
              HasSubstr("more than 1000 cells"));
}

TEST(XlsxReaderTest, SharedStringsKeepToTheBudget) {
  ReaderBudget::Limits limits;
  limits.texts = 1000;
  const ReaderBudget::ScopedLimits scoped(limits);
  std::string empty_items;
  for (int i = 0; i < 1001; ++i) empty_items += "<si/>";
  EXPECT_THAT(
      ErrorReading("empty_items.xlsx",
                   OneSheetPackage("<row><c><v>1</v></c></row>", empty_items)),
      HasSubstr("more than 1000 texts"));
}

TEST(XlsxReaderTest, InflatedPartsKeepToTheBudget) {
  ReaderBudget::Limits limits;
  limits.part_bytes = 5000;
  limits.workbook_bytes = 6000;
  const ReaderBudget::ScopedLimits scoped(limits);
  auto rows = [](int count) {
    std::string xml;
    for (int r = 1; r <= count; ++r) {
      xml += "<row r=\"" + std::to_string(r) + "\"><c><v>1</v></c></row>";
    }
    return xml;
  };
  EXPECT_THAT(ErrorReading("big_part.xlsx", OneSheetPackage(rows(200))),
              HasSubstr("the part xl/worksheets/sheet1.xml inflates to more "
                        "than 5000 bytes"));
  EXPECT_THAT(ErrorReading(
                  "big_parts.xlsx",
                  OneSheetPackage(rows(50), "<si><t>" + std::string(4100, 'x') +
                                                "</t></si>")),
              HasSubstr("inflate to more than 6000 bytes together"));
}

TEST(XlsxReaderTest, OtherPackagesAreNamed) {
  EXPECT_THAT(ErrorReading("binary.xlsb", {{"xl/workbook.bin", "x"}}),
              HasSubstr(".xlsb binary workbooks are not supported"));
  EXPECT_THAT(ErrorReading("letter.docx", {{"word/document.xml", "<w/>"}}),
              HasSubstr("Word document"));
  EXPECT_THAT(
      ErrorReading("text.odt",
                   {{"mimetype", "application/vnd.oasis.opendocument.text"},
                    {"content.xml", "<x/>"}}),
      HasSubstr("is not a spreadsheet"));
  EXPECT_THAT(ErrorReading("other.zip", {{"readme.txt", "hello"}}),
              HasSubstr("without workbook parts"));
}

// Every fixture, cut short or with one bit flipped at many places, must be
// read or refused with a WorkbookError: never a crash or another exception.
TEST(XlsxReaderTest, TruncatedAndBitFlippedFixturesFailCleanly) {
  int refused = 0, read = 0;
  for (const char* name :
       {"kinds.xlsx", "inline.xlsx", "date1904.xlsx", "names.xlsx",
        // Names as LibreOffice writes them, in ods and xls.
        "names.ods", "names.xls"}) {
    std::ifstream in(kFixtures + "/" + name, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_GT(bytes.size(), 1000u) << name;
    const std::string path = TestFilePath(std::string("mangled_") + name);
    auto attempt = [&](const std::string& mangled, const std::string& how) {
      std::ofstream(path, std::ios::binary | std::ios::trunc) << mangled;
      try {
        ReadWorkbook(path);
        ++read;
      } catch (const WorkbookError& error) {
        ++refused;
        EXPECT_THAT(error.what(), HasSubstr(path)) << how;
      } catch (const std::exception& error) {
        ADD_FAILURE() << name << " " << how << ": " << error.what();
      }
    };
    const std::size_t step = bytes.size() / 60 + 1;
    for (std::size_t cut = 0; cut < bytes.size(); cut += step) {
      attempt(bytes.substr(0, cut), "cut at " + std::to_string(cut));
    }
    for (std::size_t at = 0; at < bytes.size(); at += bytes.size() / 150 + 1) {
      std::string flipped = bytes;
      flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
      attempt(flipped, "bit flipped at " + std::to_string(at));
    }
  }
  EXPECT_GT(refused, 100);
  EXPECT_GT(read, 0);
}

}  // namespace
}  // namespace kestrilo
