// SPDX-License-Identifier: MIT

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "collected_rows.h"
#include "engine/input/input_file.h"
#include "engine/input/workbook_error.h"
#include "engine/reading/csv/csv_input.h"
#include "engine/reading/csv/csv_text.h"
#include "engine/reading/open_workbook_file.h"
#include "engine/reading/workbook_reader.h"
#include "engine/text/text_decoding.h"

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

  // Writes `bytes` like Read() and collects the rows a conversion reads.
  testing_support::RowCollector ReadRows(const std::string& bytes,
                                         const SheetChoice& choice = {}) {
    path_ = (folder_ / "rows.csv").string();
    std::ofstream(path_, std::ios::binary) << bytes;
    testing_support::RowCollector rows;
    OpenWorkbookFile(path_)->ReadRows(choice, rows);
    return rows;
  }

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

using testing_support::CollectedCell;

CollectedCell Text(std::int32_t row, std::int32_t column, std::string text) {
  return {row, column, CellKind::kText, false, 0, std::move(text)};
}

// UTF-16 LE of UTF-8 `text` (code points below U+10000, and U+1F600).
std::string Utf16Le(const std::string& text) {
  std::string out;
  auto unit = [&](unsigned u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                                             : 4;
    unsigned code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (code >= 0x10000) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
    i += length;
  }
  return out;
}

// The file is read in pieces: wherever one ends (inside a quoted field,
// after a quote that may be doubled, between CR and LF, inside a UTF-8
// sequence or a UTF-16 surrogate pair), the cells are those of the whole
// text. A record of filler puts the records of interest across the end of
// the first piece, cut at each of their bytes in turn.
TEST_F(CsvReaderTest, PiecesMayEndAnywhere) {
  const std::string records =
      "\"q\"\"uo\"\"te\",\"x\r\ny\",\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\r\n"
      "last,";
  const struct {
    const char* name;
    std::string start;  // byte-order mark
    std::string end;    // after "last,"
    std::string last;   // the cell it gives
    bool utf16;
  } variants[] = {
      {"UTF-8", "", "\r\n", "", false},
      {"UTF-8 repaired", "\xEF\xBB\xBF", "\xFF\r\n", "\xEF\xBF\xBD", false},
      {"UTF-16", "\xFF\xFE", "\r\n", "", true},
  };
  for (const auto& variant : variants) {
    const std::string text = records + variant.end;
    const std::string tail = variant.utf16 ? Utf16Le(text) : text;
    for (std::size_t cut = 0; cut < tail.size(); cut += variant.utf16 ? 2 : 1) {
      SCOPED_TRACE(std::string(variant.name) + ", cut after byte " +
                   std::to_string(cut));
      const std::size_t filler_bytes =
          CsvInput::kPiece - cut - variant.start.size();
      const std::string filler(filler_bytes / (variant.utf16 ? 2 : 1) - 1, 'f');
      const std::string head = filler + "\n";
      const auto rows = ReadRows(variant.start +
                                 (variant.utf16 ? Utf16Le(head) : head) + tail);
      std::vector<CollectedCell> expected = {
          Text(1, 1, filler), Text(2, 1, "q\"uo\"te"), Text(2, 2, "x\r\ny"),
          Text(2, 3, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
          Text(3, 1, "last")};
      if (!variant.last.empty()) expected.push_back(Text(3, 2, variant.last));
      ASSERT_EQ(rows.cells, expected);
    }
  }
}

// A record longer than a piece is read whole (the first one, which tells
// the delimiter, too), its quoted field unescaped across the pieces.
TEST_F(CsvReaderTest, RecordsLongerThanAPiece) {
  std::string field, quoted;
  while (field.size() < 3 * CsvInput::kPiece) {
    field += "a\";b\r\n";
    quoted += "a\"\";b\r\n";
  }
  const auto rows = ReadRows("\"" + quoted + "\";x;y\n1;2\n");
  EXPECT_EQ(rows.cells, (std::vector<CollectedCell>{
                            Text(1, 1, field), Text(1, 2, "x"), Text(1, 3, "y"),
                            Text(2, 1, "1"), Text(2, 2, "2")}));
}

// Whether a file is UTF-8 is decided on all of it: a byte that is not
// UTF-8 at its end makes all of it Windows-1252, even where pieces of
// plain ASCII, which read alike in both, were handed on before the first
// byte beyond ASCII. A NUL at its end refuses it.
TEST_F(CsvReaderTest, TheWholeFileDecidesItsEncoding) {
  std::string filler;
  while (filler.size() < 2 * CsvInput::kPiece) {
    filler += "a,b" + std::string(60, 'c') + "\n";
  }
  const struct {
    std::string text;
    std::string first, last;  // the first and last cells' texts
  } files[] = {
      {"caf\xC3\xA9\n" + filler + "\xE9\n", "caf\xC3\x83\xC2\xA9", "\xC3\xA9"},
      {filler + "caf\xC3\xA9\n" + filler + "\xE9\n", "a", "\xC3\xA9"},
      {filler + "caf\xC3\xA9\n" + filler + "\xC3\xA9\n", "a", "\xC3\xA9"},
      {"\xEF\xBB\xBF" + filler + "x\xFF\n", "a", "x\xEF\xBF\xBD"},
  };
  for (const auto& file : files) {
    const auto rows = ReadRows(file.text);
    ASSERT_FALSE(rows.cells.empty());
    EXPECT_EQ(rows.cells.front().text, file.first);
    EXPECT_EQ(rows.cells.back().text, file.last);
  }
  // The cell between the fillers: Windows-1252 where the file ends in a
  // byte that is not UTF-8, UTF-8 where it does not.
  const auto middle = [&](const std::string& text) {
    const auto rows = ReadRows(text);
    const auto cafe = std::find_if(
        rows.cells.begin(), rows.cells.end(),
        [](const CollectedCell& cell) { return cell.text.starts_with("caf"); });
    return cafe == rows.cells.end() ? std::string() : cafe->text;
  };
  EXPECT_EQ(middle(files[1].text), "caf\xC3\x83\xC2\xA9");
  EXPECT_EQ(middle(files[2].text), "caf\xC3\xA9");

  for (const std::string& text :
       {filler + std::string(1, '\0'), filler + "\xC3\xA9" + filler + '\0'}) {
    testing_support::RowCollector refused;
    std::ofstream((folder_ / "nul.csv").string(), std::ios::binary) << text;
    try {
      OpenWorkbookFile((folder_ / "nul.csv").string())
          ->ReadRows(SheetChoice(), refused);
      ADD_FAILURE() << "a NUL was read as text";
    } catch (const WorkbookError& error) {
      EXPECT_THAT(error.reason(), ::testing::HasSubstr("not a text file"));
    }
  }
}

// The text handed on piece by piece is the whole file decoded as its
// whole content calls for, wherever the first byte beyond ASCII lies: in
// the first piece or a later one, a character cut by a piece's end, with a
// byte-order mark or without, the bad byte early or late.
TEST_F(CsvReaderTest, TextIsTheWholeFileDecodedAsItCallsFor) {
  const std::size_t piece = CsvInput::kPiece;
  const auto ascii = [](std::size_t size) {
    std::string text;
    while (text.size() < size) text += "abc,def\n";
    text.resize(size);
    return text;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const std::string euro = "\xE2\x82\xAC";
  const std::string files[] = {
      ascii(piece * 5 / 2),
      ascii(piece + 500000) + euro + ascii(piece),
      ascii(piece - 1) + euro + ascii(piece),  // cut by the first piece's end
      ascii(2 * piece + 100) + "\xE9" + ascii(1000),
      ascii(1000) + euro + ascii(2 * piece) + "\x80",
      bom + ascii(piece + 7) + "\xFF" + euro + ascii(10),
      bom + euro + ascii(piece),
      euro,
  };
  for (const std::string& bytes : files) {
    const bool marked = bytes.starts_with(bom);
    const std::string body = marked ? bytes.substr(3) : bytes;
    const std::string expected = IsValidUtf8(body) ? body
                                 : marked          ? RepairUtf8(body)
                                                   : Windows1252ToUtf8(body);
    path_ = (folder_ / "text.csv").string();
    std::ofstream(path_, std::ios::binary) << bytes;
    CsvInput input(path_, std::make_unique<InputFile>(path_, true));
    CsvText text(input);
    std::string got;
    while (text.AppendTo(got)) {
    }
    EXPECT_TRUE(got == expected) << bytes.size() << " bytes";
  }
}

// The one sheet is named after the file and is sheet 1; any other is
// missing, said before the file is read.
TEST_F(CsvReaderTest, TheOneSheetChosenByNameOrNumber) {
  for (const SheetChoice& choice :
       {SheetChoice{}, SheetChoice{"ROWS", std::nullopt}, SheetChoice{{}, 1}}) {
    EXPECT_EQ(ReadRows("a,b\n", choice).cells.size(), 2u);
  }
  const auto file = OpenWorkbookFile(path_);
  EXPECT_EQ(file->Structure().sheet(0).name(), "rows");
  for (const auto& [choice, reason] :
       {std::pair{SheetChoice{"Nope", std::nullopt}, "no sheet named 'Nope'"},
        std::pair{SheetChoice{{}, 2},
                  "no sheet number 2 (the workbook has 1)"}}) {
    testing_support::RowCollector rows;
    try {
      OpenWorkbookFile(path_)->ReadRows(choice, rows);
      ADD_FAILURE() << reason;
    } catch (const WorkbookError& error) {
      EXPECT_EQ(error.reason(), reason);
    }
  }
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
  // Windows-1252 copies runs of ASCII whole: high bytes inside and after
  // them, and at the end.
  EXPECT_EQ(Windows1252ToUtf8("abcdefgh\xE9ijklmnopqrstu\x80v\x9F"),
            "abcdefgh\xC3\xA9ijklmnopqrstu\xE2\x82\xACv\xC5\xB8");
  // A sequence cut at the end is left for the bytes after it.
  for (const auto& [bytes, whole] : {std::pair{"ab\xF0\x9F\x98", 2},
                                     {"ab\xE2\x82", 2},
                                     {"ab\xC3", 2},
                                     {"ab\xC3\xA9", 4},
                                     {"ab\x98\x80", 4},
                                     {"", 0}}) {
    EXPECT_EQ(WholeUtf8Prefix(bytes), std::size_t(whole)) << bytes;
  }
}

}  // namespace
}  // namespace kestrilo
