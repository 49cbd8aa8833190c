#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/reading/text_decoding.h"
#include "engine/reading/workbook_error.h"
#include "engine/reading/workbook_reader.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;

class CsvReaderTest : public ::testing::Test {
 protected:
  // Writes `bytes` to a file of this name in a fresh folder and reads it.
  std::unique_ptr<Workbook> Read(const std::string& bytes,
                                 const std::string& name = "data.csv") {
    path_ = (folder_ / name).string();
    std::ofstream(path_, std::ios::binary) << bytes;
    return ReadWorkbook(path_);
  }

  // The sheet's cells row by row, "" for empty ones, over its used range
  // from A1.
  static std::vector<std::vector<std::string>> Grid(const Workbook& book) {
    const Sheet& sheet = book.sheet(0);
    std::vector<std::vector<std::string>> grid;
    const auto used = sheet.UsedRange();
    if (!used) return grid;
    for (int r = 1; r <= used->last_row(); ++r) {
      std::vector<std::string> row;
      for (int c = 1; c <= used->last_column(); ++c) {
        const CellValue value = sheet.Cell(r, c);
        if (!value.is_empty()) {
          EXPECT_EQ(value.kind, CellKind::kText);
        }
        row.emplace_back(value.text);
      }
      grid.push_back(row);
    }
    return grid;
  }

  using Rows = std::vector<std::vector<std::string>>;

  void SetUp() override {
    folder_ = fs::path(::testing::TempDir()) /
              ("csv_reader_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
  std::string path_;
};

TEST_F(CsvReaderTest, OneSheetNamedAfterTheFileEveryFieldText) {
  auto book = Read("a,1,TRUE\n2024-01-01,#N/A,=1+1\n", "My data.v2.csv");
  ASSERT_EQ(book->sheet_count(), 1);
  EXPECT_EQ(book->sheet(0).name(), "My data.v2");
  EXPECT_EQ(book->format(), "csv");
  EXPECT_EQ(book->active_sheet(), 0);
  EXPECT_EQ(Grid(*book),
            (Rows{{"a", "1", "TRUE"}, {"2024-01-01", "#N/A", "=1+1"}}));
}

TEST_F(CsvReaderTest, QuotedFieldsDoubledQuotesAndLineBreaksInside) {
  auto book = Read(
      "\"x, y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n"
      "\"\",plain\"quote,\"a\"b\n"
      "\"unterminated, runs\nto the end");
  EXPECT_EQ(Grid(*book), (Rows{{"x, y", "say \"hi\"", "two\r\nlines"},
                               {"", "plain\"quote", "ab"},
                               {"unterminated, runs\nto the end", "", ""}}));
}

TEST_F(CsvReaderTest, AllLineEndsAndEmptyLinesKeepTheirRow) {
  EXPECT_EQ(Grid(*Read("a\r\nb\nc\rd")), (Rows{{"a"}, {"b"}, {"c"}, {"d"}}));
  // An empty line is an empty row; the last line end adds no record.
  EXPECT_EQ(Grid(*Read("a\n\n\nb\n")), (Rows{{"a"}, {""}, {""}, {"b"}}));
  EXPECT_EQ(Grid(*Read("a\r\r\nb\r\n")), (Rows{{"a"}, {""}, {"b"}}));
}

TEST_F(CsvReaderTest, EmptyFieldsLeaveCellsEmpty) {
  auto book = Read(",,c\n,,\n\"\",b,\n");
  const Sheet& sheet = book->sheet(0);
  EXPECT_EQ(sheet.cell_count(), 2u);
  EXPECT_TRUE(sheet.Cell(1, 1).is_empty());
  EXPECT_EQ(sheet.Cell(1, 3).text, "c");
  EXPECT_EQ(sheet.Cell(3, 2).text, "b");
  EXPECT_EQ(sheet.UsedRange(), (BlockGeometry{1, 3, 2, 2}));
}

TEST_F(CsvReaderTest, EmptyFileIsAnErrorBlankLinesAnEmptySheet) {
  EXPECT_THROW(Read(""), WorkbookError);
  auto book = Read("\r\n\r\n");
  EXPECT_EQ(book->sheet_count(), 1);
  EXPECT_FALSE(book->sheet(0).UsedRange().has_value());
}

TEST_F(CsvReaderTest, DelimiterFromTheFirstRecordOutsideQuotes) {
  EXPECT_EQ(Grid(*Read("a;b;c\n1,5;2,5;x\n")),
            (Rows{{"a", "b", "c"}, {"1,5", "2,5", "x"}}));
  EXPECT_EQ(Grid(*Read("a\tb,c\td\n")), (Rows{{"a", "b,c", "d"}}));
  // The commas inside quotes do not count: two semicolons win.
  EXPECT_EQ(Grid(*Read("\"a,b,c\";d;e\n")), (Rows{{"a,b,c", "d", "e"}}));
  // A quoted line break belongs to the first record.
  EXPECT_EQ(Grid(*Read("\"x\n;;;\",y,z\n")), (Rows{{"x\n;;;", "y", "z"}}));
  // Equal counts: the comma wins; no delimiter at all: one column.
  EXPECT_EQ(Grid(*Read("a,b;c\n")), (Rows{{"a", "b;c"}}));
  EXPECT_EQ(Grid(*Read("just text here\n")), (Rows{{"just text here"}}));
}

TEST_F(CsvReaderTest, SeparatorLineNamesTheDelimiterAndIsNoData) {
  EXPECT_EQ(Grid(*Read("sep=;\r\nA;1,5\r\n")), (Rows{{"A", "1,5"}}));
  EXPECT_EQ(Grid(*Read("sep=|\na|b,c\n")), (Rows{{"a", "b,c"}}));
  EXPECT_EQ(Grid(*Read("\xEF\xBB\xBFsep=\t\na\tb")), (Rows{{"a", "b"}}));
  // Not a separator line: longer than one character after "sep=".
  EXPECT_EQ(Grid(*Read("sep=ab,c\n")), (Rows{{"sep=ab", "c"}}));
}

TEST_F(CsvReaderTest, Encodings) {
  EXPECT_EQ(Grid(*Read("\xEF\xBB\xBF\xCE\xB1,\xE4\xB8\xAD\n")),
            (Rows{{"α", "中"}}));
  // UTF-16 with either byte order, a surrogate pair included.
  const std::string le(
      "\xFF\xFE"
      "a\0,\0\xB1\x03,\0\x3D\xD8\x00\xDE",
      14);
  EXPECT_EQ(Grid(*Read(le)), (Rows{{"a", "α", "😀"}}));
  const std::string be("\xFE\xFF\0a\0;\x03\xB1", 8);
  EXPECT_EQ(Grid(*Read(be)), (Rows{{"a", "α"}}));
  // UTF-16 LE without a byte-order mark.
  const std::string bare("x\0,\0y\0\n\0", 8);
  EXPECT_EQ(Grid(*Read(bare)), (Rows{{"x", "y"}}));
  // Not UTF-8: Windows-1252, the 0x80-0x9F range included.
  EXPECT_EQ(Grid(*Read("caf\xE9,\x80\x96\x9F,\x81\n")),
            (Rows{{"café", "€–Ÿ", "\xC2\x81"}}));
}

TEST_F(CsvReaderTest, BadInput) {
  EXPECT_THROW(ReadWorkbook((folder_ / "missing.csv").string()), WorkbookError);
  try {
    Read(std::string("\x7F"
                     "ELF\2\1\0binary\0stuff",
                     19),
         "fake.csv");
    FAIL() << "a file with NUL bytes was read as text";
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), path_);
    EXPECT_THAT(error.reason(), ::testing::HasSubstr("not a text file"));
  }
  const std::string too_wide = "x" + std::string(kMaxColumns, ',') + "y";
  EXPECT_THROW(Read(too_wide), WorkbookError);
  // Empty fields beyond the last column are harmless.
  EXPECT_NO_THROW(Read("x" + std::string(kMaxColumns + 5, ',') + "\n"));
}

TEST(TextDecodingTest, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("plain ascii text, long enough for words"));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80 \xEF\xBF\xBD \xC2\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("abcdefgh\xE4\xB8"));  // cut short
  EXPECT_EQ(RepairUtf8("a\xFF"
                       "b\xE4\xB8"),
            "a\uFFFD"
            "b\uFFFD\uFFFD");
}

}  // namespace
}  // namespace kestrilo
