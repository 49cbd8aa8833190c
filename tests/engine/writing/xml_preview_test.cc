// SPDX-License-Identifier: MIT

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/writing/output_file.h"
#include "engine/writing/xml_writer.h"
#include "memory_cell_source.h"

namespace kestrilo {
namespace {

struct Layout {
  bool header_row, header_column, row_first, title_tag;
};

constexpr Layout kLayouts[] = {
    {true, true, true, true},   {true, true, false, true},
    {false, false, true, true}, {false, false, false, true},
    {true, false, true, true},  {false, true, true, true},
    {true, false, true, false}, {false, false, false, false},
};

ExportOptions OptionsFor(const Layout& layout) {
  ExportOptions options;
  options.header_row = layout.header_row;
  options.header_column = layout.header_column;
  options.row_first = layout.row_first;
  options.title_tag = layout.title_tag;
  options.title = "Price List";
  return options;
}

// The first `lines` lines of a text whose lines end in CR LF.
std::string FirstLines(const std::string& text, int lines) {
  std::size_t end = 0;
  for (int i = 0; i < lines && end < text.size(); ++i) {
    end = text.find('\n', end) + 1;
  }
  return text.substr(0, end);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A block large enough that the writer hands its working text on many
// times, with texts to escape and numbers, so that the preview is cut in the
// middle of the stream.
class XmlPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int column = 1; column <= 5; ++column) {
      source_.SetText(1, column, "Head " + std::to_string(column));
    }
    for (int row = 2; row <= 4000; ++row) {
      source_.SetText(row, 1, "R&D <" + std::to_string(row) + ">");
      source_.Set(row, 2, CellValue::Number(row * 0.25));
      if (row % 3 != 0) source_.SetText(row, 4, "x");
    }
  }

  MemoryCellSource source_;
};

TEST_F(XmlPreviewTest, PreviewIsTheStartOfTheWrittenFileForEveryLayout) {
  const auto folder = std::filesystem::path(::testing::TempDir()) /
                      ("xml_preview_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  for (const Layout& layout : kLayouts) {
    const ExportOptions options = OptionsFor(layout);
    const std::string file = (folder / "block.xml").string();
    WriteTextFile(BlockToXml(source_, options, "$A$1:$E$4000"), file);
    const std::string written = ReadFile(file);
    for (int lines : {0, 1, 40, 5000, 100000}) {
      const XmlPreview preview =
          BlockPreview(source_, options, "$A$1:$E$4000", lines);
      const std::string context = std::to_string(layout.header_row) +
                                  std::to_string(layout.header_column) +
                                  std::to_string(layout.row_first) +
                                  std::to_string(layout.title_tag) + " " +
                                  std::to_string(lines);
      EXPECT_EQ(preview.head, FirstLines(written, lines)) << context;
      EXPECT_EQ(preview.byte_count, static_cast<std::int64_t>(written.size()))
          << context;
      EXPECT_EQ(preview.line_count,
                std::count(written.begin(), written.end(), '\n'))
          << context;
    }
  }
  std::filesystem::remove_all(folder);
}

TEST_F(XmlPreviewTest, SmallBlocksAndEmptyTexts) {
  ExportOptions options;
  options.title_tag = false;
  // A header row alone gives no lines at all.
  const XmlPreview empty = BlockPreview(source_, options, "$A$1:$E$1", 40);
  EXPECT_EQ(empty.head, "");
  EXPECT_EQ(empty.line_count, 0);
  EXPECT_EQ(empty.byte_count, 0);
  const XmlPreview one = BlockPreview(source_, options, "$B$1:$B$2", 40);
  EXPECT_EQ(one.head, "<Head2>0.5</Head2>\r\n");
  EXPECT_EQ(one.line_count, 1);
  EXPECT_EQ(one.byte_count, 20);
}

}  // namespace
}  // namespace kestrilo
