// Reading a sheet row by row must give the writer exactly the cells the
// sheet model gives it: the XML of every row-wise layout is compared byte
// for byte, over real workbooks and over files that list cells oddly.
#include "engine/reading/xlsx/xlsx_row_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/model/range_address.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_error.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/xml_writer.h"
#include "test_package.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;
using testing_support::OneSheetPackage;
using testing_support::WritePackage;

// The layouts that read the block row after row.
std::vector<ExportOptions> RowWiseLayouts() {
  std::vector<ExportOptions> layouts;
  for (const auto& [header_row, header_column] :
       {std::pair{true, false}, {false, true}, {true, true}, {false, false}}) {
    ExportOptions options;
    options.header_row = header_row;
    options.header_column = header_column;
    options.row_first = true;
    layouts.push_back(options);
  }
  return layouts;
}

std::string RowByRowXml(const std::string& path, int sheet,
                        const ExportOptions& options,
                        const std::string& address) {
  auto rows = XlsxRowReader::Open(path, [&](const Workbook&) { return sheet; });
  EXPECT_NE(rows, nullptr) << path;
  const BlockGeometry block = ParseAddress(address).areas.front();
  bool checked = false;
  rows->FinishAtCell(
      block.last_row(), block.last_column(),
      [&](const std::optional<BlockGeometry>&) { checked = true; });
  std::string xml = BlockToXml(*rows, options, address);
  rows->Finish();  // a block whose last cell is a header reads no cell
  EXPECT_TRUE(checked) << path << " " << address;
  return xml;
}

// Blocks that cover the used range, start and end inside it, and reach
// beyond it; a large used range is cut short, the XML of each empty cell
// costing as much as that of a full one.
std::vector<std::string> BlocksOf(BlockGeometry used) {
  constexpr std::int32_t kMaxCells = 20000;
  used.column_count = std::min(used.column_count, 200);
  used.row_count = std::min(used.row_count, kMaxCells / used.column_count);
  std::vector<std::string> blocks = {FormatArea(used)};
  if (used.row_count > 2) {
    BlockGeometry inner = used;
    inner.first_row += 1;
    inner.row_count -= 2;
    inner.column_count = std::max(1, used.column_count - 1);
    blocks.push_back(FormatArea(inner));
  }
  BlockGeometry wider = used;
  wider.row_count += 2;
  wider.column_count += 1;
  blocks.push_back(FormatArea(wider));
  return blocks;
}

// The first few sheets of each workbook: a workbook of hundreds of sheets
// adds no other case.
constexpr int kSheetsCompared = 4;

void ExpectSameXmlAsModel(const std::string& path) {
  std::unique_ptr<Workbook> workbook;
  try {
    workbook = ReadWorkbook(path);
  } catch (const WorkbookError&) {
    return;  // files the model refuses are not read row by row either
  }
  for (int sheet = 0;
       sheet < std::min(workbook->sheet_count(), kSheetsCompared); ++sheet) {
    const auto used = workbook->sheet(sheet).UsedRange();
    if (!used) continue;
    WorkbookCellSource model(*workbook, sheet);
    for (const std::string& block : BlocksOf(*used)) {
      for (const ExportOptions& options : RowWiseLayouts()) {
        const std::string rows = RowByRowXml(path, sheet, options, block);
        const std::string cells = BlockToXml(model, options, block);
        const std::size_t at = static_cast<std::size_t>(
            std::mismatch(rows.begin(), rows.end(), cells.begin(), cells.end())
                .first -
            rows.begin());
        ASSERT_TRUE(rows == cells)
            << path << ", sheet " << sheet << ", block " << block
            << ", headers " << options.header_row << options.header_column
            << ": \"" << rows.substr(at, 60) << "\" where the model has \""
            << cells.substr(at, 60) << "\"";
      }
    }
  }
}

std::vector<std::string> XlsxFilesIn(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".xlsx") files.push_back(entry.path());
  }
  return files;
}

TEST(XlsxRowReader, GivesTheModelsXmlForTheFixtures) {
  for (const std::string& path : XlsxFilesIn(KESTRILO_FIXTURES_DIR)) {
    ExpectSameXmlAsModel(path);
  }
}

TEST(XlsxRowReader, GivesTheModelsXmlForTheCorpus) {
  const fs::path corpus = fs::path(KESTRILO_SHARED_DIR) / "corpus" / "xlsx";
  if (!fs::is_directory(corpus)) {
    GTEST_SKIP() << "no shared corpus at " << corpus;
  }
  for (const std::string& path : XlsxFilesIn(corpus)) {
    ExpectSameXmlAsModel(path);
  }
}

TEST(XlsxRowReader, GivesTheModelsXmlForCellsListedOddly) {
  // Columns out of order, a cell given twice (the later wins), rows
  // without numbers, empty and formatted-only rows, inline and shared
  // texts, and a gap of rows.
  const std::string path = WritePackage(
      "odd_order.xlsx",
      OneSheetPackage(
          "<row r=\"2\"><c r=\"C2\"><v>3</v></c><c r=\"A2\" t=\"s\"><v>0</v>"
          "</c><c r=\"B2\"><v>2</v></c><c r=\"C2\"><v>4</v></c></row>"
          "<row><c r=\"A3\" t=\"inlineStr\"><is><t>in &amp; line</t></is></c>"
          "<c t=\"b\"><v>1</v></c></row>"
          "<row r=\"4\"/><row r=\"5\"><c r=\"B5\" s=\"0\"/></row>"
          "<row r=\"9\"><c r=\"D9\" t=\"e\"><v>#N/A</v></c>"
          "<c r=\"A9\" t=\"str\"><v>x</v></c></row>",
          "<si><t>Name</t></si>"));
  ExpectSameXmlAsModel(path);
}

TEST(XlsxRowReader, RefusesRowsListedOutOfOrder) {
  // The stray row comes after the block's last row has been written:
  // it must still be noticed, for it belongs to the block.
  const std::string path = WritePackage(
      "unsorted.xlsx",
      OneSheetPackage("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                      "<row r=\"3\"><c r=\"A3\"><v>3</v></c></row>"
                      "<row r=\"2\"><c r=\"A2\"><v>2</v></c></row>"));
  for (const ExportOptions& options : RowWiseLayouts()) {
    EXPECT_THROW(RowByRowXml(path, 0, options, "A1:A2"),
                 XlsxRowReader::OutOfOrder);
  }
}

TEST(XlsxRowReader, OpensOnlyXlsxPackages) {
  const auto first = [](const Workbook&) { return 0; };
  EXPECT_EQ(XlsxRowReader::Open(
                std::string(KESTRILO_FIXTURES_DIR) + "/lo_cells.ods", first),
            nullptr);
  EXPECT_EQ(XlsxRowReader::Open(
                std::string(KESTRILO_FIXTURES_DIR) + "/lo_cells.xls", first),
            nullptr);
}

}  // namespace
}  // namespace kestrilo
