// With escaping and valid names on, every layout of every workbook of the
// shared corpus must give well-formed XML: an XML parser reads it whole.

#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/range_address.h"
#include "engine/model/workbook.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/xml_writer.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(KESTRILO_SHARED_DIR) / "corpus";

// Blocks beyond this many cells are left out: the parser's verdict does not
// depend on size, and the test must stay quick.
constexpr std::int64_t kMaxCells = 200000;

std::vector<std::string> CorpusPaths() {
  std::vector<std::string> paths;
  for (const char* folder : {"xlsx", "ods", "xls", "csv"}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kCorpus / folder, error)) {
      const std::string path = entry.path().string();
      if (!path.ends_with(".ref.json") && fs::exists(path + ".ref.json")) {
        paths.push_back(path);
      }
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The parser's complaint about `xml`, with the line it points at; empty
// when the text is well-formed.
std::string ParseError(const std::string& xml) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  std::string error;
  if (XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) ==
      XML_STATUS_ERROR) {
    const auto line = XML_GetCurrentLineNumber(parser);
    std::size_t start = 0;
    for (XML_Size i = 1; i < line && start != std::string::npos; ++i) {
      start = xml.find('\n', start);
      if (start != std::string::npos) ++start;
    }
    error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) +
            " at line " + std::to_string(line) + ": " +
            (start == std::string::npos
                 ? std::string()
                 : xml.substr(start, xml.find('\r', start) - start));
  }
  XML_ParserFree(parser);
  return error;
}

struct Layout {
  const char* name;
  bool header_row, header_column, row_first;
};

constexpr Layout kLayouts[] = {
    {"header row", true, false, true},
    {"header column", false, true, true},
    {"both headers, row first", true, true, true},
    {"both headers, column first", true, true, false},
    {"no headers, row first", false, false, true},
    {"no headers, column first", false, false, false},
};

class ValidNamesCorpusTest : public testing::TestWithParam<std::string> {};

TEST_P(ValidNamesCorpusTest, EveryLayoutIsWellFormed) {
  const std::string& path = GetParam();
  std::unique_ptr<Workbook> workbook;
  try {
    workbook = ReadWorkbook(path);
  } catch (const std::exception& error) {
    // Whether it should read is the corpus test's question.
    GTEST_SKIP() << "not read: " << error.what();
  }
  const int sheet = workbook->active_sheet();
  const std::optional<BlockGeometry> used = workbook->sheet(sheet).UsedRange();
  if (!used) GTEST_SKIP() << "the active sheet has no cells";
  if (used->row_count * used->column_count > kMaxCells) {
    GTEST_SKIP() << "used range " << FormatArea(*used) << " has more than "
                 << kMaxCells << " cells";
  }
  const std::string address = FormatArea(*used);
  WorkbookCellSource source(*workbook, sheet);
  for (const Layout& layout : kLayouts) {
    ExportOptions options;
    options.escape_text = true;
    options.valid_names = true;
    options.header_row = layout.header_row;
    options.header_column = layout.header_column;
    options.row_first = layout.row_first;
    EXPECT_EQ(ParseError(BlockToXml(source, options, address)), "")
        << layout.name << ", " << address;
  }
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).parent_path().filename().string() +
                     "_" + fs::path(info.param).filename().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ValidNamesCorpusTest,
                         testing::ValuesIn(CorpusPaths()), TestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ValidNamesCorpusTest);

}  // namespace
}  // namespace kestrilo
