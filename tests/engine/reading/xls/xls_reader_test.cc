// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/input/workbook_error.h"
#include "engine/reading/xls/xls_file.h"
#include "xls_test_workbook.h"

namespace kestrilo {
namespace {

using testing::HasSubstr;
using namespace testing_support;

const std::string kFixtures = std::string(KESTRILO_FIXTURES_DIR) + "/xls/";

// ---------------------------------------------------------------- helpers

std::string Reason(const std::string& bytes) {
  try {
    ReadXlsBytes("broken.xls", bytes);
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), "broken.xls");
    return error.reason();
  }
  return "(read without error)";
}

std::unique_ptr<Workbook> Read(const std::string& bytes) {
  return ReadXlsBytes("test.xls", bytes);
}

// ------------------------------------------------ LibreOffice's fixtures

class LibreOfficeValuesTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    workbook_ = ReadXls(kFixtures + "libreoffice_values.xls").release();
  }
  static void TearDownTestSuite() { delete workbook_; }
  const Sheet& values() { return workbook_->sheet(0); }
  static Workbook* workbook_;
};
Workbook* LibreOfficeValuesTest::workbook_ = nullptr;

TEST_F(LibreOfficeValuesTest, SheetsInOrderWithVisibility) {
  ASSERT_EQ(workbook_->sheet_count(), 3);
  EXPECT_EQ(workbook_->format(), "xls");
  EXPECT_EQ(workbook_->sheet(0).name(), "Values");
  EXPECT_EQ(workbook_->sheet(1).name(), "Hidden");
  EXPECT_EQ(workbook_->sheet(2).name(), "Third");
  EXPECT_FALSE(workbook_->sheet(0).hidden());
  EXPECT_TRUE(workbook_->sheet(1).hidden());
  EXPECT_FALSE(workbook_->sheet(2).hidden());
  EXPECT_EQ(workbook_->active_sheet(), 0);
  EXPECT_EQ(Cell(workbook_->sheet(1), 1, 1), "text secret");
  EXPECT_EQ(Cell(workbook_->sheet(2), 2, 2), "number 3");
}

TEST_F(LibreOfficeValuesTest, NumbersAndTexts) {
  EXPECT_EQ(Cell(values(), 2, 2), "number 42");
  EXPECT_EQ(Cell(values(), 2, 3), "number -7");
  EXPECT_EQ(Cell(values(), 3, 2), "number 3.25");
  EXPECT_EQ(values().Cell(3, 3).number, -0.1);
  EXPECT_EQ(values().Cell(4, 2).number, 1.5e22);
  EXPECT_EQ(Cell(values(), 4, 3), "number 123456789012");
  EXPECT_EQ(Cell(values(), 5, 2), "text plain ASCII");
  EXPECT_EQ(Cell(values(), 6, 2), "text Καλημέρα κόσμε");
  EXPECT_EQ(Cell(values(), 7, 2), "text 日本語のテキスト");
  EXPECT_EQ(Cell(values(), 8, 2), "text smile 😀 and 🎉");
  EXPECT_EQ(Cell(values(), 9, 2), "text first\nsecond");
  EXPECT_EQ(Cell(values(), 9, 3), "empty");
}

TEST_F(LibreOfficeValuesTest, FormulaResultsAndErrors) {
  // LibreOffice stores TRUE and FALSE constants as numbers with a boolean
  // format; formula results are real booleans.
  EXPECT_EQ(Cell(values(), 10, 2), "number 1");
  EXPECT_EQ(Cell(values(), 11, 2), "error #DIV/0!");
  EXPECT_EQ(Cell(values(), 11, 3), "error #N/A");
  EXPECT_EQ(Cell(values(), 12, 3), "error #VALUE!");
  EXPECT_EQ(Cell(values(), 13, 2), "error #REF!");
  EXPECT_EQ(Cell(values(), 13, 3), "error #NUM!");
  EXPECT_EQ(Cell(values(), 14, 3), "error #NAME?");
  EXPECT_EQ(Cell(values(), 15, 2), "number 42");
  EXPECT_EQ(Cell(values(), 15, 3), "number 5.25");
  EXPECT_EQ(Cell(values(), 16, 2), "text abcd");
  EXPECT_EQ(Cell(values(), 16, 3), "text ");
  EXPECT_EQ(Cell(values(), 17, 2), "boolean True");
  EXPECT_EQ(Cell(values(), 17, 3), "boolean False");
}

TEST_F(LibreOfficeValuesTest, DatesTimesAndDurations) {
  EXPECT_EQ(Cell(values(), 18, 2), "date 2024-02-29");
  EXPECT_EQ(Cell(values(), 18, 3), "date 1900-03-01");
  EXPECT_EQ(Cell(values(), 19, 2), "date 2024-02-29 13:45:00");
  EXPECT_EQ(Cell(values(), 19, 3), "date 1999-12-31 23:59:00");
  EXPECT_EQ(Cell(values(), 20, 2), "time 13:45:30");
  EXPECT_EQ(Cell(values(), 20, 3), "time 00:00:01");
  EXPECT_EQ(Cell(values(), 21, 2), "time 36:15:00");
  EXPECT_EQ(Cell(values(), 22, 2), "date 2001-02-03");
}

TEST_F(LibreOfficeValuesTest, SharedStringsAcrossContinueRecords) {
  const std::string long_text(values().Cell(23, 2).text);
  EXPECT_EQ(long_text.rfind("Zeile 0000 äöü Ωμέγα 漢字 😀; ", 0), 0u);
  EXPECT_NE(long_text.find("Zeile 0399 äöü Ωμέγα 漢字 😀; "), std::string::npos);
  for (int i = 0; i < 600; ++i) {
    ASSERT_EQ(Cell(values(), 24 + i, 1), "text key " + std::to_string(i));
    ASSERT_EQ(
        Cell(values(), 24 + i, 2),
        "text Wert " + std::to_string(i) + " – ünïcödé " + [&] {
          std::string omegas;
          for (int k = 0; k < i % 17; ++k) omegas += "ω";
          return omegas;
        }());
  }
  EXPECT_EQ(values().UsedRange()->last_row(), 623);
}

TEST(LibreOffice1904Test, DatesOfThe1904SystemBecomeOurSerials) {
  const auto workbook = ReadXls(kFixtures + "libreoffice_1904.xls");
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(sheet.name(), "Mac");
  EXPECT_EQ(Cell(sheet, 1, 2), "date 2024-02-29");
  EXPECT_EQ(sheet.Cell(1, 2).number, 45351.0);
  EXPECT_EQ(Cell(sheet, 2, 2), "date 1904-01-02 06:00:00");
  EXPECT_EQ(Cell(sheet, 3, 2), "time 06:00:00");
  EXPECT_EQ(Cell(sheet, 4, 2), "number 100");
}

// ---------------------------------------------- records built here (BIFF8)

TEST(XlsReaderTest, NumberRecordsAndTheirFormats) {
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "Numbers";
  BiffStream& c = sheets[0].cells;
  c.Record(0x0203, Cell3(1, 1, 0) + F64(-2.5));
  c.Record(0x027E, Cell3(1, 2, 0) + Rk(-123456));
  c.Record(0x027E, Cell3(1, 3, 0) + RkCents(1234));
  c.Record(0x027E, Cell3(1, 4, 0) + RkDouble(0.5));
  // MULRK: row 2, columns 2 to 4, each with its own XF.
  c.Record(0x00BD, U16(1) + U16(1) + U16(1) + Rk(45351) + U16(2) +
                       RkDouble(0.75) + U16(5) + Rk(7) + U16(3));
  c.Record(0x0203, Cell3(3, 1, 1) + F64(59));  // 1900-02-28
  c.Record(0x0203, Cell3(3, 2, 1) + F64(61));  // 1900-03-01
  c.Record(0x0203, Cell3(3, 3, 3) + F64(45351.5));
  c.Record(0x0203, Cell3(3, 4, 4) + F64(1.5));       // 36 elapsed hours
  c.Record(0x0203, Cell3(3, 5, 2) + F64(45351.25));  // time format, full date
  c.Record(0x0203, Cell3(3, 6, 99) + F64(8));  // XF out of range: a number
  c.Record(0x0201, Cell3(4, 1, 0));            // BLANK
  c.Record(0x00BE, U16(3) + U16(0) + U16(0) + U16(0) + U16(0) + U16(2));
  const auto workbook = Read(Container(WorkbookStream(sheets, "")));
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(Cell(sheet, 1, 1), "number -2.5");
  EXPECT_EQ(Cell(sheet, 1, 2), "number -123456");
  EXPECT_EQ(Cell(sheet, 1, 3), "number 12.34");
  EXPECT_EQ(Cell(sheet, 1, 4), "number 0.5");
  EXPECT_EQ(Cell(sheet, 2, 2), "date 2024-02-29");
  EXPECT_EQ(Cell(sheet, 2, 3), "time 18:00:00");
  EXPECT_EQ(Cell(sheet, 2, 4), "number 7");
  EXPECT_EQ(Cell(sheet, 3, 1), "date 1900-02-28");
  EXPECT_EQ(Cell(sheet, 3, 2), "date 1900-03-01");
  EXPECT_EQ(Cell(sheet, 3, 3), "date 2024-02-29 12:00:00");
  EXPECT_EQ(Cell(sheet, 3, 4), "time 36:00:00");
  EXPECT_EQ(Cell(sheet, 3, 5), "date 2024-02-29 06:00:00");
  EXPECT_EQ(Cell(sheet, 3, 6), "number 8");
  EXPECT_EQ(sheet.cell_count(), 13u) << "blank cells are empty";
}

TEST(XlsReaderTest, BooleansErrorsAndFormulaResults) {
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "Kinds";
  BiffStream& c = sheets[0].cells;
  c.Record(0x0205, Cell3(1, 1, 0) + U8(1) + U8(0));
  c.Record(0x0205, Cell3(1, 2, 0) + U8(0) + U8(0));
  const std::uint8_t codes[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
  for (int i = 0; i < 7; ++i) {
    c.Record(0x0205, Cell3(2, i + 1, 0) + U8(codes[i]) + U8(1));
  }
  c.Record(0x0006, FormulaRecordBody(3, 1, 1, F64(45351)));
  c.Record(0x0006, FormulaRecordBody(3, 2, 0, SpecialResult(0, 0)));
  c.Record(0x04BC, std::string(10, '\0'));  // SHRFMLA before the STRING
  c.Record(0x0207, WideString(U"Ergebnis Ω"));
  c.Record(0x0006, FormulaRecordBody(3, 3, 0, SpecialResult(1, 1)));
  c.Record(0x0006, FormulaRecordBody(3, 4, 0, SpecialResult(2, 0x07)));
  c.Record(0x0006, FormulaRecordBody(3, 5, 0, SpecialResult(3, 0)));
  c.Record(0x0406, FormulaRecordBody(3, 6, 0, F64(4)));  // BIFF4 number
  // A string result whose STRING record never comes reads as empty.
  c.Record(0x0006, FormulaRecordBody(3, 7, 0, SpecialResult(0, 0)));
  c.Record(0x0203, Cell3(3, 8, 0) + F64(1));
  c.Record(0x0207, CompressedString("stray"));
  const auto workbook = Read(Container(WorkbookStream(sheets, "")));
  const Sheet& sheet = workbook->sheet(0);
  EXPECT_EQ(Cell(sheet, 1, 1), "boolean True");
  EXPECT_EQ(Cell(sheet, 1, 2), "boolean False");
  const char* texts[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!",
                         "#NAME?", "#NUM!",   "#N/A"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(Cell(sheet, 2, i + 1), std::string("error ") + texts[i]);
  }
  EXPECT_EQ(Cell(sheet, 3, 1), "date 2024-02-29");
  EXPECT_EQ(Cell(sheet, 3, 2), "text Ergebnis Ω");
  EXPECT_EQ(Cell(sheet, 3, 3), "boolean True");
  EXPECT_EQ(Cell(sheet, 3, 4), "error #DIV/0!");
  EXPECT_EQ(Cell(sheet, 3, 5), "text ");
  EXPECT_EQ(Cell(sheet, 3, 6), "number 4");
  EXPECT_EQ(Cell(sheet, 3, 7), "empty");
  EXPECT_EQ(Cell(sheet, 3, 8), "number 1");
}

TEST(XlsReaderTest, SharedStringsSplitAcrossContinueRecords) {
  // String 0 starts compressed and goes on wide after the split (the
  // continuation repeats the option byte); string 1 carries rich-text runs
  // and phonetic data that span the next split; string 2 is empty.
  std::string sst = U32(3) + U32(3) + U16(7) + U8(0) + "abc";
  std::string continue1 = U8(1) + Utf16Units(U"Ωλ😀");
  std::string rich = U16(2) + U8(0x0D) + U16(2) + U32(6) + Utf16Units(U"Ж") +
                     Utf16Units(U"ж") + U32(0) + U32(0) + "phonet";
  continue1 += rich.substr(0, rich.size() - 5);
  std::string continue2 = rich.substr(rich.size() - 5) + U16(0) + U8(0);
  BiffStream globals;
  globals.Record(0x00FC, sst)
      .Record(0x003C, continue1)
      .Record(0x003C, continue2);
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "S";
  for (int i = 0; i < 3; ++i) {
    sheets[0].cells.Record(0x00FD, Cell3(i + 1, 1, 0) + U32(i));
  }
  const auto workbook =
      Read(Container(WorkbookStream(sheets, globals.bytes())));
  EXPECT_EQ(Cell(workbook->sheet(0), 1, 1), "text abcΩλ😀");
  EXPECT_EQ(Cell(workbook->sheet(0), 2, 1), "text Жж");
  EXPECT_EQ(Cell(workbook->sheet(0), 3, 1), "text ");
}

TEST(XlsReaderTest, ActiveSheetCountsSkippedChartSheets) {
  std::vector<TestSheet> sheets(4);
  sheets[0].name = "First";
  sheets[1].name = "Chart";
  sheets[1].type = 2;
  sheets[2].name = "VeryHidden";
  sheets[2].state = 2;
  sheets[3].name = "Active";
  sheets[3].cells.Record(0x0204, Cell3(1, 1, 0) + CompressedString("here"));
  // An embedded chart's substream inside a worksheet is skipped whole.
  sheets[3].cells.Record(0x0809,
                         U16(0x0600) + U16(0x0020) + U32(0) + U32(0) + U32(0));
  sheets[3].cells.Record(0x0203, Cell3(9, 9, 0) + F64(1));
  sheets[3].cells.Record(0x000A, "");
  const auto workbook = Read(Container(WorkbookStream(sheets, "", 3)));
  ASSERT_EQ(workbook->sheet_count(), 3);
  EXPECT_EQ(workbook->sheet(1).name(), "VeryHidden");
  EXPECT_TRUE(workbook->sheet(1).hidden());
  EXPECT_EQ(workbook->active_sheet(), 2);
  EXPECT_EQ(Cell(workbook->sheet(2), 1, 1), "text here");
  EXPECT_EQ(workbook->sheet(2).cell_count(), 1u);

  // The active tab on a chart sheet falls back to the first sheet.
  EXPECT_EQ(Read(Container(WorkbookStream(sheets, "", 1)))->active_sheet(), 0);
}

// ----------------------------------------------------------------- BIFF5

TEST(XlsReaderTest, Biff5TextsInTheirCodePages) {
  struct Case {
    std::uint16_t code_page;
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
      {1252, "Caf\xE9 \x80", "Café €"},
      {10029, "\x80rkusz", "Ärkusz"},
      {10000, "\x8A\xA5", "ä•"},
      {1250, "\xA3\xF3\x64\x9F", "Łódź"},
      {437, "\x84\xE1", "äß"},
      {850, "\x9B", "ø"},
      {32769, "\xE4", "ä"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code_page);
    std::vector<TestSheet> sheets(1);
    sheets[0].name = c.bytes;
    sheets[0].cells.Record(
        0x0204, Cell3(1, 1, 0) +
                    U16(static_cast<std::uint16_t>(c.bytes.size())) + c.bytes);
    sheets[0].cells.Record(0x0006,
                           FormulaRecordBody(1, 2, 0, SpecialResult(0, 0)));
    sheets[0].cells.Record(
        0x0207, U16(static_cast<std::uint16_t>(c.bytes.size())) + c.bytes);
    BiffStream globals;
    globals.Record(0x0042, U16(c.code_page));
    const auto workbook = Read(
        Container(WorkbookStream(sheets, globals.bytes(), 0, false), "Book"));
    EXPECT_EQ(workbook->sheet(0).name(), c.utf8);
    EXPECT_EQ(Cell(workbook->sheet(0), 1, 1), "text " + c.utf8);
    EXPECT_EQ(Cell(workbook->sheet(0), 1, 2), "text " + c.utf8);
  }
}

TEST(XlsReaderTest, Biff5DatesOfThe1904System) {
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "Mac";
  sheets[0].cells.Record(0x027E, Cell3(1, 1, 1) + Rk(0));
  sheets[0].cells.Record(0x0203, Cell3(1, 2, 5) + F64(2.5));
  BiffStream globals;
  globals.Record(0x0022, U16(1));
  const auto workbook =
      Read(Container(WorkbookStream(sheets, globals.bytes(), 0, false)));
  EXPECT_EQ(Cell(workbook->sheet(0), 1, 1), "date 1904-01-01");
  EXPECT_EQ(Cell(workbook->sheet(0), 1, 2), "number 2.5");
}

// ------------------------------------------------------------ bad input

// ------------------------------------------------------------------ layout

std::string Ref8(int top, int bottom, int left, int right) {
  return U16(static_cast<std::uint16_t>(top)) +
         U16(static_cast<std::uint16_t>(bottom)) +
         U16(static_cast<std::uint16_t>(left)) +
         U16(static_cast<std::uint16_t>(right));
}

std::string RowRecord(int row, int twips, int options) {
  return U16(static_cast<std::uint16_t>(row - 1)) + U16(0) + U16(1) +
         U16(static_cast<std::uint16_t>(twips)) + U16(0) + U16(0) +
         U16(static_cast<std::uint16_t>(options)) + U16(15);
}

TEST(XlsReaderTest, ColumnWidthsRowHeightsAndMergedAreasInBiff8AndBiff5) {
  for (const bool biff8 : {true, false}) {
    SCOPED_TRACE(biff8 ? "BIFF8" : "BIFF5");
    std::vector<TestSheet> sheets(1);
    sheets[0].name = "Layout";
    sheets[0]
        .cells
        .Record(0x0225, U16(0) + U16(300))  // rows of 15 points
        .Record(0x0055, U16(10))            // 10 digits: 80 px
        // B:C 20 digits wide (145 px), D hidden, K onwards beyond the sheet.
        .Record(0x007D, U16(1) + U16(2) + U16(5302) + U16(15) + U16(0) + U16(0))
        .Record(0x007D, U16(3) + U16(3) + U16(2340) + U16(15) + U16(1) + U16(0))
        .Record(0x007D,
                U16(10) + U16(0xFFFF) + U16(512) + U16(15) + U16(0) + U16(0))
        .Record(0x0208, RowRecord(3, 600, 0x40))
        .Record(0x0208, RowRecord(4, 300, 0))
        .Record(0x0208, RowRecord(5, 300, 0x20))
        .Record(0x0203, Cell3(1, 1, 0) + F64(1))
        // Two areas, one beyond the last column, and a count larger than
        // the record holds.
        .Record(0x00E5, U16(4) + Ref8(6, 7, 0, 2) + Ref8(9, 9, 3, 4) +
                            Ref8(0, 0, 20000, 20001));
    const auto book = Read(Container(WorkbookStream(sheets, "", 0, biff8)));
    const SheetLayout& layout = book->sheet(0).layout();
    EXPECT_EQ(layout.default_column_width(), 60.0f);
    EXPECT_EQ(layout.default_row_height(), 15.0f);
    using Span = SheetLayout::Span;
    EXPECT_EQ(layout.columns(),
              (std::vector<Span>{{2, 3, 108.75f, false},
                                 {4, 4, 48.0f, true},
                                 {11, kMaxColumns, 10.5f, false}}));
    EXPECT_EQ(layout.rows(), (std::vector<Span>{{3, 3, 30.0f, false},
                                                {5, 5, std::nullopt, true}}));
    EXPECT_EQ(layout.merged_areas(),
              (std::vector<BlockGeometry>{{7, 2, 1, 3}, {10, 1, 4, 2}}));
    EXPECT_EQ(Cell(book->sheet(0), 1, 1), "number 1");
  }
}

TEST(XlsReaderTest, StandardWidthWinsOverDefColWidth) {
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "S";
  sheets[0].cells.Record(0x0099, U16(2340)).Record(0x0055, U16(20));
  const auto book = Read(Container(WorkbookStream(sheets, "")));
  EXPECT_EQ(book->sheet(0).layout().default_column_width(), 48.0f);
  EXPECT_EQ(book->sheet(0).layout().default_row_height(), std::nullopt);
}

TEST(XlsReaderTest, EncryptedAndForeignContainersAreRefused) {
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "S";
  BiffStream filepass;
  filepass.Record(0x002F, U16(1) + std::string(52, '\0'));
  EXPECT_EQ(Reason(Container(WorkbookStream(sheets, filepass.bytes()))),
            "the workbook is password-protected (encrypted)");

  CompoundFileWriter ooxml(4096);  // as Office writes them
  ooxml.AddStream("EncryptionInfo", std::string(300, '\x04'));
  ooxml.AddStream("EncryptedPackage", std::string(9000, '\x01'));
  EXPECT_EQ(Reason(ooxml.Build()),
            "the workbook is password-protected (encrypted)");

  CompoundFileWriter word;
  word.AddStream("WordDocument", std::string(5000, '\0'));
  EXPECT_THAT(Reason(word.Build()), HasSubstr("not an Excel workbook"));

  BiffStream biff4;
  biff4.Record(0x0409, U16(0) + U16(0x0100) + U16(0));
  EXPECT_THAT(Reason(Container(biff4.bytes())), HasSubstr("not supported"));

  BiffStream biff3_version;
  biff3_version.Record(0x0809, U16(0x0300) + U16(0x0005) + U32(0));
  EXPECT_THAT(Reason(Container(biff3_version.bytes())),
              HasSubstr("unsupported Excel file version"));
}

TEST(XlsReaderTest, DamagedStreamsAreErrorsNamingTheProblem) {
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "S";
  sheets[0].cells.Record(0x00FD, Cell3(1, 1, 0) + U32(5));
  EXPECT_THAT(Reason(Container(WorkbookStream(sheets, ""))),
              HasSubstr("shared string 5 of 0"));

  sheets[0].cells = BiffStream();
  sheets[0].cells.Record(0x0203, Cell3(1, 1, 0) + "\x01\x02");
  EXPECT_THAT(Reason(Container(WorkbookStream(sheets, ""))),
              HasSubstr("too short"));

  sheets[0].cells = BiffStream();
  sheets[0].cells.Record(0x0203, U16(0) + U16(20000) + U16(0) + F64(1));
  EXPECT_THAT(Reason(Container(WorkbookStream(sheets, ""))),
              HasSubstr("beyond the last column"));

  sheets[0].cells = BiffStream();
  std::string stream = WorkbookStream(sheets, "");
  EXPECT_THAT(Reason(Container(stream.substr(0, stream.size() - 4))),
              HasSubstr("ends without its end record"));
  EXPECT_THAT(Reason(Container(stream.substr(0, stream.size() - 2))),
              HasSubstr("ends without its end record"));
  sheets[0].cells.Record(0x0203, Cell3(1, 1, 0) + F64(1));
  stream = WorkbookStream(sheets, "");
  EXPECT_THAT(Reason(Container(stream.substr(0, stream.size() - 9))),
              HasSubstr("truncated inside a record"));

  std::string far_sheet = stream;
  const std::size_t boundsheet = far_sheet.find(std::string("\x85\x00", 2));
  PutU32(far_sheet, boundsheet + 4, 0x00FFFFFF);
  EXPECT_THAT(Reason(Container(far_sheet)), HasSubstr("beyond the end"));

  // Sheets that all point at one big substream would multiply its cells.
  std::vector<TestSheet> same(40);
  for (int i = 0; i < 40; ++i) same[i].name = "S" + std::to_string(i);
  for (int row = 1; row <= 500; ++row) {
    same[0].cells.Record(0x0203, Cell3(row, 1, 0) + F64(row));
  }
  std::string overlapping = WorkbookStream(same, "");
  std::size_t field = overlapping.find(std::string("\x85\x00", 2)) + 4;
  const std::string first_position = overlapping.substr(field, 4);
  for (int i = 1; i < 40; ++i) {
    field = overlapping.find(std::string("\x85\x00", 2), field) + 4;
    overlapping.replace(field, 4, first_position);
  }
  EXPECT_THAT(Reason(Container(overlapping)), HasSubstr("overlap"));

  std::vector<TestSheet> charts(1);
  charts[0].name = "Chart";
  charts[0].type = 2;
  EXPECT_THAT(Reason(Container(WorkbookStream(charts, ""))),
              HasSubstr("no worksheets"));

  BiffStream huge_sst;
  huge_sst.Record(0x00FC, U32(0xFFFFFFFF) + U32(0xFFFFFFFF) + U16(50) + U8(0));
  EXPECT_THAT(Reason(Container(WorkbookStream(sheets, huge_sst.bytes()))),
              HasSubstr("too short"));
}

TEST(XlsReaderTest, TruncatedOrBitFlippedFilesNeverCrash) {
  std::vector<std::string> files = {
      ReadFile(kFixtures + "libreoffice_values.xls"),
      ReadFile(kFixtures + "libreoffice_1904.xls")};
  {
    std::vector<TestSheet> sheets(2);
    sheets[0].name = "A";
    sheets[1].name = "B";
    for (int i = 1; i <= 40; ++i) {
      sheets[0].cells.Record(0x0203, Cell3(i, 1, i % 6) + F64(i * 1.5));
      sheets[1].cells.Record(0x00FD, Cell3(i, 2, 0) + U32(i % 3));
    }
    BiffStream sst;
    sst.Record(0x00FC, U32(3) + U32(3) + CompressedString("one") +
                           WideString(U"zwei") + CompressedString("three"));
    files.push_back(Container(WorkbookStream(sheets, sst.bytes())));
  }
  int read = 0;
  int refused = 0;
  auto attempt = [&](const std::string& bytes) {
    try {
      ReadXlsBytes("fuzz.xls", bytes);
      ++read;
    } catch (const WorkbookError&) {
      ++refused;
    }
    try {
      RowLines sink(true);
      OpenXlsBytes("fuzz.xls", bytes)->ReadRows({}, sink);
    } catch (const WorkbookError&) {
    }
  };
  for (const std::string& file : files) {
    ASSERT_FALSE(file.empty());
    const std::size_t steps = 100;
    for (std::size_t i = 0; i < steps; ++i) {
      const std::size_t at = file.size() * i / steps;
      attempt(file.substr(0, at));
      std::string flipped = file;
      flipped[at] = static_cast<char>(flipped[at] ^ (1 << (i % 8)));
      attempt(flipped);
      std::string smashed = file;
      for (std::size_t k = at; k < std::min(file.size(), at + 4); ++k) {
        smashed[k] = '\xFF';
      }
      attempt(smashed);
    }
  }
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

// ------------------------------------------------------------------ names

// A NAME record: `itab` is the 1-based sheet of a sheet-level name, 0 for
// the workbook; `name` Latin-1 (BIFF8, stored compressed) or code page
// bytes (BIFF5); `tokens` the parsed expression.
std::string NameRecord(const std::string& name, const std::string& tokens,
                       std::uint16_t itab = 0, std::uint16_t options = 0,
                       bool biff8 = true) {
  BiffStream record;
  record.Record(0x0018, U16(options) + U8(0) +
                            U8(static_cast<std::uint8_t>(name.size())) +
                            U16(static_cast<std::uint16_t>(tokens.size())) +
                            U16(0) + U16(itab) + U32(0) + (biff8 ? U8(0) : "") +
                            name + tokens);
  return record.bytes();
}

// tArea3d (0x3B and its class variants) through EXTERNSHEET entry `xti`.
std::string Area3d(std::uint16_t xti, int first_row, int last_row,
                   int first_column, int last_column, std::uint8_t ptg = 0x3B) {
  return U8(ptg) + U16(xti) + U16(static_cast<std::uint16_t>(first_row)) +
         U16(static_cast<std::uint16_t>(last_row)) +
         U16(static_cast<std::uint16_t>(first_column | 0xC000)) +
         U16(static_cast<std::uint16_t>(last_column | 0xC000));
}

std::string Ref3d(std::uint16_t xti, int row, int column,
                  std::uint8_t ptg = 0x3A) {
  return U8(ptg) + U16(xti) + U16(static_cast<std::uint16_t>(row)) +
         U16(static_cast<std::uint16_t>(column));
}

TEST(XlsReaderTest, NamesOfBiff8ThroughExternSheetAndTheirReasons) {
  std::vector<TestSheet> sheets(3);
  sheets[0].name = "Data";
  sheets[1].name = "Chart";
  sheets[1].type = 2;
  sheets[2].name = "Other";
  BiffStream globals;
  globals.Record(0x01AE, U16(3) + U16(0x0401));       // own sheets
  globals.Record(0x01AE, U16(1) + U16(3) + "x.xls");  // another workbook
  globals.Record(0x0017, U16(5) + U16(0) + U16(0) + U16(0) +  // Data
                             U16(0) + U16(2) + U16(2) +       // Other
                             U16(1) + U16(0) + U16(0) +       // x.xls
                             U16(0) + U16(0) + U16(2) +       // Data:Other
                             U16(0) + U16(1) + U16(1));       // Chart
  globals.bytes() +=
      NameRecord("Prices", Area3d(0, 0, 3, 1, 1)) +
      NameRecord("Prices", Ref3d(1, 1, 1, 0x5A), 3) +
      NameRecord("Cols", Area3d(0, 0, 0xFFFF, 0, 1, 0x7B)) +
      NameRecord("Elsewhere", Ref3d(2, 0, 0)) +
      NameRecord("Spanning", Area3d(3, 0, 1, 0, 1)) +
      NameRecord("OnChart", Ref3d(4, 0, 0)) +
      NameRecord("Gone", Ref3d(0, 0, 0, 0x3C)) +
      NameRecord("Pair", U8(0x29) + U16(22) + Area3d(0, 0, 0, 0, 0) +
                             Area3d(0, 1, 1, 1, 1) + U8(0x10)) +
      NameRecord("Rate", U8(0x1F) + F64(0.25)) +
      NameRecord("Sum", Area3d(0, 0, 3, 1, 1, 0x5B) + U8(0x41) + U16(4)) +
      NameRecord("\x06", Area3d(0, 0, 3, 0, 1), 1, 0x0020) +
      NameRecord("Empty", "") + NameRecord("Lost", Ref3d(9, 0, 0));
  const auto workbook =
      Read(Container(WorkbookStream(sheets, globals.bytes())));
  EXPECT_THAT(
      ShowNames(*workbook),
      testing::ElementsAre(
          "Prices = 'Data'!$B$1:$B$4", "Prices@Other = 'Other'!$B$2",
          "Cols = 'Data'!$A:$B", "Elsewhere: refers to another workbook",
          "Spanning: refers to several sheets",
          "OnChart: refers to a sheet that does not exist",
          "Gone: refers to a deleted reference",
          "Pair: refers to several areas", "Rate: refers to a constant",
          "Sum: refers to a formula",
          "_xlnm.Print_Area@Data: built-in print name",
          "Empty: has no definition", "Lost: has a bad reference"));
  EXPECT_EQ(workbook->FindName("prices", 1)->sheet, 1);
  EXPECT_EQ(workbook->FindName("prices", 0)->block,
            (BlockGeometry{1, 4, 2, 1}));
}

TEST(XlsReaderTest, NamesOfBiff5InTheirCodePageAndDamagedNames) {
  std::vector<TestSheet> sheets(2);
  sheets[0].name = "Data";
  sheets[1].name = "More";
  // BIFF5 tArea3d: own workbook (negative index), 8 reserved bytes, the
  // sheets, then rows of 16 bits and columns of 8.
  const std::string area = U8(0x3B) + U16(0xFFFF) + std::string(8, '\0') +
                           U16(1) + U16(1) + U16(0) + U16(1) + U8(0) + U8(2);
  BiffStream globals;
  globals.Record(0x0042, U16(1252));
  globals.bytes() += NameRecord("Caf\xE9", area, 0, 0, false);
  const auto workbook =
      Read(Container(WorkbookStream(sheets, globals.bytes(), 0, false)));
  EXPECT_THAT(ShowNames(*workbook),
              testing::ElementsAre("Caf\xC3\xA9 = 'More'!$A$1:$C$2"));

  // A NAME that ends inside its own header.
  BiffStream short_name;
  short_name.Record(0x0018, U16(0) + U8(0) + U8(4));
  EXPECT_THAT(Reason(Container(WorkbookStream(sheets, short_name.bytes()))),
              HasSubstr("record 0x0018"));
}

}  // namespace
}  // namespace kestrilo
