// SPDX-License-Identifier: MIT
// With the default options (escaping and valid names on), every layout of
// every workbook of the shared corpus must give XML that a parser aware of
// namespaces, as most importers are, reads whole: no <2>, no <a:b>, no <>.

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

// Parses the text as the writer hands it on, so that no block is too large
// to check, with namespace processing on: a name with an undeclared prefix
// is an error, as it is to importers.
class NamespaceParser : public XmlSink {
 public:
  NamespaceParser() : parser_(XML_ParserCreateNS("UTF-8", '|')) {}
  ~NamespaceParser() override { XML_ParserFree(parser_); }

  void Write(std::string_view text) override {
    if (!error_.empty()) return;
    if (XML_Parse(parser_, text.data(), static_cast<int>(text.size()), 0) ==
        XML_STATUS_ERROR) {
      Fail(text);
    }
    offset_ += text.size();
  }

  // The parser's complaint, with the line it points at; empty when the
  // whole text was well-formed.
  std::string Finish() {
    if (error_.empty() && XML_Parse(parser_, nullptr, 0, 1) == XML_STATUS_ERROR)
      Fail(std::string_view());
    return error_;
  }

 private:
  void Fail(std::string_view piece) {
    error_ = std::string(XML_ErrorString(XML_GetErrorCode(parser_))) +
             " at line " + std::to_string(XML_GetCurrentLineNumber(parser_));
    const auto at = XML_GetCurrentByteIndex(parser_);
    if (at >= 0 && static_cast<std::size_t>(at) >= offset_ &&
        static_cast<std::size_t>(at) < offset_ + piece.size()) {
      const std::size_t here = static_cast<std::size_t>(at) - offset_;
      const std::size_t start = piece.rfind('\n', here);
      const std::size_t begin = start == std::string_view::npos ? 0 : start + 1;
      error_ += ": " + std::string(
                           piece.substr(begin, piece.find('\r', here) - begin));
    }
  }

  XML_Parser parser_;
  std::size_t offset_ = 0;
  std::string error_;
};

struct Layout {
  const char* name;
  bool header_row, header_column, row_first;
};

// The four header modes, the nested ones in both orders.
constexpr Layout kLayouts[] = {
    {"header row", true, false, true},
    {"header column", false, true, true},
    {"both headers, row first", true, true, true},
    {"both headers, column first", true, true, false},
    {"no headers, row first", false, false, true},
    {"no headers, column first", false, false, false},
};

class ValidNamesCorpusTest : public testing::TestWithParam<std::string> {};

TEST_P(ValidNamesCorpusTest, DefaultOutputIsNamespaceWellFormed) {
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
  const std::string address = FormatArea(*used);
  WorkbookCellSource source(*workbook, sheet);
  for (const Layout& layout : kLayouts) {
    ExportOptions options;
    options.header_row = layout.header_row;
    options.header_column = layout.header_column;
    options.row_first = layout.row_first;
    NamespaceParser parser;
    WriteBlockXml(source, options, address, parser);
    EXPECT_EQ(parser.Finish(), "") << layout.name << ", " << address;
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
