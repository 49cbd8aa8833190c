// SPDX-License-Identifier: MIT
// The one conversion: the road it takes for each request, that every road
// gives the model's XML, that a file is read once, and the one rule for
// empty blocks.
#include "engine/conversion/conversion.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/conversion/block_error.h"
#include "engine/conversion/output_budget.h"
#include "engine/input/reading_tally.h"
#include "engine/input/workbook_error.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_reader.h"
#include "engine/reading/zip/zip_archive.h"
#include "engine/writing/string_sink.h"
#include "engine/writing/xml_writer.h"
#include "test_package.h"

namespace kestrilo {
namespace {

using testing_support::kMainNamespace;
using testing_support::OneSheetPackage;
using testing_support::WritePackage;

// A one-sheet workbook whose sheet part may state a dimension.
std::string Package(const std::string& name, const std::string& rows,
                    const std::string& dimension = "") {
  auto parts = OneSheetPackage(rows);
  for (auto& [part, content] : parts) {
    if (part != "xl/worksheets/sheet1.xml") continue;
    content =
        std::string("<worksheet xmlns=\"") + kMainNamespace + "\">" +
        (dimension.empty() ? "" : "<dimension ref=\"" + dimension + "\"/>") +
        "<sheetData>" + rows + "</sheetData></worksheet>";
  }
  return WritePackage(name, parts);
}

std::string Row(int row,
                const std::vector<std::pair<std::string, int>>& cells) {
  std::string xml = "<row r=\"" + std::to_string(row) + "\">";
  for (const auto& [column, value] : cells) {
    xml += "<c r=\"" + column + std::to_string(row) + "\"><v>" +
           std::to_string(value) + "</v></c>";
  }
  return xml + "</row>";
}

// Many rows of numbers in columns B to D, so that the rows fill pieces.
std::string ManyRows(int count, int first = 2) {
  std::string rows;
  for (int r = first; r < first + count; ++r) {
    rows += Row(r, {{"B", r}, {"C", r * 2}, {"D", r * 3}});
  }
  return rows;
}

std::string ModelXml(const std::string& path, const std::string& address,
                     const ExportOptions& options = {}) {
  const auto workbook = ReadWorkbook(path);
  const WorkbookCellSource cells(*workbook, 0);
  return BlockToXml(cells, options, address);
}

// A sink that cannot take back its text, as standard output.
class OnceSink : public XmlSink {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  std::string text_;
};

struct Converted {
  ConversionReport report;
  std::string xml;
};

Converted Convert(const std::string& path, const std::string& block = "",
                  const ExportOptions& options = {}) {
  StringSink sink;
  Converted converted;
  ConversionRequest request;
  request.block = block;
  request.options = options;
  converted.report = ConvertFile(path, request, sink);
  converted.xml = sink.Take();
  return converted;
}

TEST(ConversionTest, EachRequestTakesItsRoadAndGivesTheModelsXml) {
  const std::string path = Package("roads.xlsx", ManyRows(3000), "B2:D3001");
  const auto used = Convert(path);
  EXPECT_EQ(used.report.road, ConversionRoad::kSpooled);
  EXPECT_EQ(used.xml, ModelXml(path, "B2:D3001"));
  const auto given = Convert(path, "C10:D20");
  EXPECT_EQ(given.report.road, ConversionRoad::kStreamed);
  EXPECT_FALSE(given.report.road_changed);
  EXPECT_EQ(given.xml, ModelXml(path, "C10:D20"));
  ExportOptions column_first;
  column_first.header_column = true;
  column_first.row_first = false;
  const auto model = Convert(path, "", column_first);
  EXPECT_EQ(model.report.road, ConversionRoad::kModel);
  EXPECT_EQ(model.xml, ModelXml(path, "B2:D3001", column_first));
  // A sink that cannot take its text back is never written early.
  OnceSink once;
  ConversionRequest request;
  request.block = "C10:D20";
  const ConversionReport report = ConvertFile(path, request, once);
  EXPECT_EQ(report.road, ConversionRoad::kSpooled);
  EXPECT_EQ(once.text_, given.xml);
}

// Files that mislead: the XML is the model's all the same.
TEST(ConversionTest, RowsOutOfOrderAndWrongClaimsGiveTheModelsXml) {
  const std::string unsorted = Row(1, {{"A", 1}, {"B", 2}}) +
                               Row(3, {{"A", 3}}) + Row(2, {{"B", 4}}) +
                               Row(3, {{"B", 5}});
  const std::string path = Package("unsorted.xlsx", unsorted, "A1:B3");
  const auto used = Convert(path);
  EXPECT_EQ(used.xml, ModelXml(path, "A1:B3"));
  const auto given = Convert(path, "A1:B3");
  EXPECT_TRUE(given.report.road_changed);
  EXPECT_EQ(given.xml, ModelXml(path, "A1:B3"));
  // Dimensions that claim too little and too much, and none.
  const std::string rows = ManyRows(3000) + Row(3100, {{"E", 1}});
  for (const char* dimension : {"B2:D3001", "A1:Z9999", ""}) {
    const std::string claims = Package("claims.xlsx", rows, dimension);
    const auto converted = Convert(claims);
    EXPECT_EQ(converted.report.block, (BlockGeometry{2, 3099, 2, 4}));
    EXPECT_EQ(converted.xml, ModelXml(claims, "B2:E3100")) << dimension;
  }
}

// The sum of the package's entries: inflating each of them once.
std::uint64_t EntryBytes(const std::string& path) {
  const ZipArchive zip(path);
  std::uint64_t total = 0;
  for (const std::string& name : zip.EntryNames()) {
    total += zip.EntrySize(name).value_or(0);
  }
  return total;
}

// The small parts that say where the others are may be looked at twice;
// the sheet, which is nearly all of the package, never.
TEST(ConversionTest, AFileIsReadOnce) {
  const std::string rows = ManyRows(20000) + Row(20100, {{"F", 1}});
  for (const char* dimension : {"", "B2:D20001"}) {
    const std::string path = Package("once.xlsx", rows, dimension);
    const std::uint64_t sheet =
        ZipArchive(path).EntrySize("xl/worksheets/sheet1.xml").value();
    for (const char* block : {"", "B2:D9", "A:C"}) {
      ReadingTally::Reset();
      Convert(path, block);
      EXPECT_LE(ReadingTally::opens(), 3u) << dimension << " " << block;
      EXPECT_LT(ReadingTally::inflated(), EntryBytes(path) + sheet / 100)
          << dimension << " " << block;
    }
  }
}

TEST(ConversionTest, AMissingSheetFailsBeforeItsCellsAreRead) {
  const std::string path = Package("sheets.xlsx", ManyRows(20000));
  ReadingTally::Reset();
  StringSink sink;
  ConversionRequest request;
  request.sheet.name = "Nope";
  try {
    ConvertFile(path, request, sink);
    FAIL() << "converted a sheet the workbook lacks";
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.reason(), "no sheet named 'Nope'");
  }
  EXPECT_LT(ReadingTally::inflated(), EntryBytes(path) / 10);
  EXPECT_TRUE(sink.Take().empty());
}

// The columns are guessed from the first rows; a later row that shows the
// guess wrong must not leave the guessed XML behind.
TEST(ConversionTest, AWrongGuessOfTheColumnsIsWrittenAnew) {
  const std::string rows = ManyRows(30000) + Row(30005, {{"A", 1}}) +
                           ManyRows(10, 30010) + Row(30100, {{"H", 9}});
  const std::string path = Package("wider.xlsx", rows);
  const auto converted = Convert(path);
  EXPECT_EQ(converted.report.block, (BlockGeometry{2, 30099, 1, 8}));
  EXPECT_EQ(converted.xml, ModelXml(path, "A2:H30100"));
}

TEST(ConversionTest, OneRuleForEmptyBlocks) {
  const std::string empty = Package("empty.xlsx", "");
  for (const char* block : {"", "A:C"}) {
    const auto converted = Convert(empty, block);
    EXPECT_FALSE(converted.report.skipped.empty()) << block;
    EXPECT_TRUE(converted.xml.empty()) << block;
  }
  const std::string path = Package("some.xlsx", Row(2, {{"B", 1}}));
  const auto columns = Convert(path, "D:F");
  EXPECT_EQ(columns.report.skipped,
            "block is empty ($D:$F of sheet 'Sheet1' has no cells)");
  const auto drawn = Convert(path, "D5:E6");
  EXPECT_TRUE(drawn.report.skipped.empty());
  EXPECT_EQ(drawn.report.warnings,
            std::vector<std::string>{
                "block is empty ($D$5:$E$6 of sheet 'Sheet1' has no cells)"});
  EXPECT_EQ(drawn.xml, ModelXml(path, "D5:E6"));
}

TEST(ConversionTest, BlocksTheWorkbookLacksAreRefused) {
  const std::string path = Package("refused.xlsx", Row(1, {{"A", 1}}));
  EXPECT_THROW(Convert(path, "Nope"), BlockError);
  EXPECT_THROW(Convert(path, "Nope!A1"), WorkbookError);
}

// Two cells, at A1 and at the last cell of a worksheet: a few kilobytes
// that make a block of seventeen billion cells.
std::vector<std::string> CornerWorkbooks() {
  const std::string corner_xlsx =
      Package("corner.xlsx", Row(1, {{"A", 1}}) + Row(1048576, {{"XFD", 2}}));
  const std::string ods_content =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
      "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
      "<office:body><office:spreadsheet><table:table table:name=\"S\">"
      "<table:table-row><table:table-cell office:value-type=\"float\" "
      "office:value=\"1\"/></table:table-row><table:table-row "
      "table:number-rows-repeated=\"1048574\"><table:table-cell/>"
      "</table:table-row><table:table-row><table:table-cell "
      "table:number-columns-repeated=\"16383\"/><table:table-cell "
      "office:value-type=\"float\" office:value=\"2\"/></table:table-row>"
      "</table:table></office:spreadsheet></office:body>"
      "</office:document-content>";
  const std::string corner_ods = WritePackage(
      "corner.ods",
      {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
       {"content.xml", ods_content}});
  const std::string corner_csv = testing_support::TestFilePath("corner.csv");
  std::ofstream csv(corner_csv, std::ios::binary);
  csv << "1" << std::string(1048575, '\n') << std::string(16383, ',') << "2\n";
  return {corner_xlsx, corner_ods, corner_csv};
}

TEST(ConversionTest, ABlockWhoseLeastXmlExceedsTheBudgetIsRefusedUnwritten) {
  for (const std::string& path : CornerWorkbooks()) {
    StringSink sink;
    try {
      ConvertFile(path, ConversionRequest(), sink);
      ADD_FAILURE() << path << " converted";
    } catch (const OutputBudgetExceeded& error) {
      const std::string sheet = path.ends_with(".ods")   ? "S"
                                : path.ends_with(".csv") ? "corner"
                                                         : "Sheet1";
      EXPECT_EQ(std::string(error.what()),
                "the block $1:$1048576 of sheet '" + sheet +
                    "' has 17,179,869,184 cells, 2 of them filled: its XML "
                    "would take at least 172 GB, more than the 2 GiB allowed");
    }
    EXPECT_TRUE(sink.Take().empty()) << path;
    // Without a limit, a block of its own goes through.
    ConversionRequest small;
    small.block = "A1:Z100";
    small.max_output_bytes = 0;
    EXPECT_NO_THROW(ConvertFile(path, small, sink)) << path;
    EXPECT_FALSE(sink.Take().empty());
  }
}

TEST(ConversionTest, ATextThatGrowsBeyondTheBudgetStops) {
  std::string rows;
  for (int r = 1; r <= 200; ++r) rows += Row(r, {{"A", r}, {"B", r}});
  const std::string path = Package("grows.xlsx", rows);
  for (const char* block : {"", "A1:B200"}) {
    ConversionRequest request;
    request.block = block;
    request.max_output_bytes = 3000;  // above the least XML of 1990 bytes
    StringSink sink;
    EXPECT_THROW(ConvertFile(path, request, sink), OutputBudgetExceeded)
        << block;
  }
}

// Every road names the same first cell whose text XML cannot hold, a
// header's among them.
TEST(ConversionTest, EveryRoadWarnsOfTheSameFirstUnholdableCell) {
  auto text = [](const std::string& column, int row, const std::string& value) {
    return "<c r=\"" + column + std::to_string(row) +
           "\" t=\"inlineStr\"><is><t>" + value + "</t></is></c>";
  };
  const std::string path =
      Package("unholdable.xlsx", "<row r=\"1\">" + text("A", 1, "a") +
                                     text("B", 1, "b") + "</row>" +
                                     "<row r=\"2\">" + text("A", 2, "x") +
                                     text("B", 2, "_x0001_") + "</row>");
  for (const bool header_column : {false, true}) {
    ExportOptions options;
    options.header_column = header_column;
    options.header_row = !header_column;
    std::vector<std::string> warnings;
    for (const char* block : {"", "A1:B2"}) {
      warnings.push_back(Convert(path, block, options).report.warnings.at(0));
    }
    options.row_first = false;
    options.header_row = options.header_column = true;
    const std::string expected =
        "characters that XML cannot hold are written as U+FFFD, first in cell "
        "B2 of sheet 'Sheet1'";
    EXPECT_EQ(warnings, (std::vector<std::string>{expected, expected}));
    EXPECT_EQ(Convert(path, "", options).report.warnings.at(0), expected);
  }
}

}  // namespace
}  // namespace kestrilo
