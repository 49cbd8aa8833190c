// SPDX-License-Identifier: MIT
// Cells written as they are displayed: the same XML on every road of the
// conversion (rows streamed, rows spooled, the model read by the command
// line and by the window), and each cell's text what LibreOffice shows for
// it, in every format it wrote the same cells to.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/conversion/conversion.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/string_sink.h"

namespace kestrilo {
namespace {

const std::string kStyles = std::string(KESTRILO_FIXTURES_DIR) + "/styles/";

ExportOptions Displayed(bool header_row, bool header_column, bool row_first) {
  ExportOptions options;
  options.as_displayed = true;
  options.header_row = header_row;
  options.header_column = header_column;
  options.row_first = row_first;
  return options;
}

struct Written {
  ConversionRoad road;
  std::string xml;
};

Written FromFile(const std::string& path, const std::string& block,
                 const ExportOptions& options) {
  ConversionRequest request;
  request.block = block;
  request.options = options;
  StringSink sink;
  const ConversionReport report = ConvertFile(path, request, sink);
  return {report.road, sink.Take()};
}

// The window's road: the workbook read whole first.
std::string FromModel(const std::string& path, const ExportOptions& options) {
  ConversionRequest request;
  request.options = options;
  StringSink sink;
  ConvertWorkbook(*ReadWorkbook(path), request, sink);
  return sink.Take();
}

// The fields of formats.shown.csv's lines: quoted or bare, no quotes
// within.
std::vector<std::pair<std::string, std::string>> ShownCells() {
  std::ifstream in(kStyles + "formats.shown.csv", std::ios::binary);
  std::vector<std::pair<std::string, std::string>> cells;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
      if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    if (fields.size() == 2) cells.emplace_back(fields[0], fields[1]);
  }
  return cells;
}

// The header-column XML of the cells LibreOffice shows: each case's name,
// without spaces, tags the text shown beside it.
std::string ShownXml() {
  std::string xml = "<XML>\r\n";
  for (auto [name, shown] : ShownCells()) {
    std::erase(name, ' ');
    xml += "\t<" + name + ">" + shown + "</" + name + ">\r\n";
  }
  return xml + "</XML>\r\n";
}

class AsDisplayedTest : public testing::TestWithParam<const char*> {
 protected:
  std::string path() const { return kStyles + "formats." + GetParam(); }
};

TEST_P(AsDisplayedTest, EveryRoadWritesWhatLibreOfficeShows) {
  const ExportOptions options = Displayed(false, true, true);
  const std::string shown = ShownXml();
  ASSERT_NE(shown.find("<percent>12.50%</percent>"), std::string::npos);
  const Written streamed = FromFile(path(), "A1:B26", options);
  EXPECT_EQ(streamed.road, ConversionRoad::kStreamed);
  EXPECT_EQ(streamed.xml, shown);
  const Written spooled = FromFile(path(), "", options);
  EXPECT_EQ(spooled.road, ConversionRoad::kSpooled);
  EXPECT_EQ(spooled.xml, shown);
  EXPECT_EQ(FromModel(path(), options), shown);
}

TEST_P(AsDisplayedTest, ColumnFirstLayoutsReadTheModelAlike) {
  const ExportOptions options = Displayed(true, true, false);
  const Written written = FromFile(path(), "", options);
  EXPECT_EQ(written.road, ConversionRoad::kModel);
  EXPECT_EQ(written.xml, FromModel(path(), options));
  for (const char* text : {"$12.50", "8/31/2021", "1:45 PM", "08:30", "36:00",
                           "TRUE", "#DIV/0!", "1,234.50"}) {
    EXPECT_NE(written.xml.find(std::string(">") + text + "<"),
              std::string::npos)
        << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, AsDisplayedTest,
                         testing::Values("ods", "xlsx", "xls"));

// A csv file's cells are texts: they are displayed as they are.
TEST(AsDisplayedCsvTest, TextsStayAsTheyAre) {
  const std::string path =
      std::string(KESTRILO_FIXTURES_DIR) + "/cli/fruit.csv";
  for (const bool row_first : {true, false}) {
    const ExportOptions options = Displayed(true, true, row_first);
    ExportOptions values = options;
    values.as_displayed = false;
    const std::string plain = FromFile(path, "", values).xml;
    EXPECT_EQ(FromFile(path, "", options).xml, plain);
    EXPECT_EQ(FromModel(path, options), plain);
  }
}

}  // namespace
}  // namespace kestrilo
