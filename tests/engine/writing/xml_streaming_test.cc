// SPDX-License-Identifier: MIT

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/writing/output_file.h"
#include "engine/writing/xml_row_writer.h"
#include "engine/writing/xml_writer.h"
#include "memory_cell_source.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;

using Row = std::vector<XmlRowWriter::Cell>;

struct Layout {
  bool header_row, header_column, row_first;
};

constexpr Layout kLayouts[] = {
    {true, false, true},  {false, true, true}, {true, true, true},
    {false, false, true}, {true, true, false}, {false, false, false},
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Where two long texts part, in a message of bounded size: gtest's own
// line diff of texts this long would take minutes and gigabytes.
std::string Mismatch(const std::string& got, const std::string& wanted) {
  if (got == wanted) return "";
  std::size_t at = 0;
  while (at < got.size() && at < wanted.size() && got[at] == wanted[at]) ++at;
  const std::size_t from = at < 40 ? 0 : at - 40;
  return "at byte " + std::to_string(at) + " of " +
         std::to_string(wanted.size()) + ": got \"" + got.substr(from, 80) +
         "\", wanted \"" + wanted.substr(from, 80) + "\"";
}

// Records the pieces a conversion hands on.
class PieceSink : public XmlSink {
 public:
  void Write(std::string_view text) override {
    pieces.emplace_back(text);
    largest = std::max(largest, text.size());
  }
  std::vector<std::string> pieces;
  std::size_t largest = 0;
};

// A sheet of every kind of value, with empty cells, empty rows and cells
// beside the block, large enough that its text goes out in many pieces. The
// same cells are kept as rows to feed.
class XmlStreamingTest : public ::testing::Test {
 protected:
  static constexpr const char* kBlock = "C3:AN1502";  // 40 x 1500

  void SetUp() override {
    texts_ = {"Apple", "Smith & Sons", "a<b>c", "Unit Price", "  2 x ", "7"};
    rows_.resize(1510);
    for (std::int32_t row = 1; row < 1510; ++row) {
      if (row % 7 == 4) continue;  // rows without any cell
      for (std::int32_t column = 1; column <= 45; ++column) {
        const int pick = (row * 31 + column * 17) % 11;
        CellValue value;
        if (pick < 6) value = CellValue::Text(texts_[pick]);
        if (pick == 6) value = CellValue::Number(row * 0.25 - column);
        if (pick == 7) value = CellValue::Boolean(column % 2 == 0);
        if (pick == 8) value = CellValue::DateTime(40000.5 + row);
        if (pick == 9) value = CellValue::Error("#N/A");
        if (value.is_empty()) continue;
        source_.Set(row, column, value);
        rows_[row].push_back({column, value});
      }
    }
  }

  static ExportOptions OptionsFor(const Layout& layout) {
    ExportOptions options;
    options.header_row = layout.header_row;
    options.header_column = layout.header_column;
    options.row_first = layout.row_first;
    options.title = "Price List";
    return options;
  }

  // Feeds every row that has cells, whole, in order, as a reader would.
  std::string Fed(const ExportOptions& options) {
    PieceSink sink;
    XmlRowWriter writer(ParseAddress(kBlock).areas.front(), kBlock, options,
                        sink);
    for (std::int32_t row = 1; row < 1510; ++row) {
      if (!rows_[row].empty()) writer.AddRow(row, rows_[row]);
    }
    writer.Finish();
    std::string text;
    for (const std::string& piece : sink.pieces) text += piece;
    return text;
  }

  std::vector<std::string> texts_;
  std::vector<Row> rows_;
  MemoryCellSource source_;
};

TEST_F(XmlStreamingTest, FedRowsGiveTheBytesOfTheSourceForRowWiseLayouts) {
  for (const Layout& layout : kLayouts) {
    for (bool title_tag : {true, false}) {
      ExportOptions options = OptionsFor(layout);
      options.title_tag = title_tag;
      options.valid_names = !title_tag;
      SCOPED_TRACE(testing::Message()
                   << "header_row=" << layout.header_row << " header_column="
                   << layout.header_column << " row_first=" << layout.row_first
                   << " title=" << title_tag);
      if (!XmlRowWriter::Handles(options)) {
        EXPECT_THROW(Fed(options), std::invalid_argument);
        continue;
      }
      EXPECT_EQ(Mismatch(Fed(options), BlockToXml(source_, options, kBlock)),
                "");
    }
  }
}

TEST_F(XmlStreamingTest, RowsOutOfOrderAreRefused) {
  PieceSink sink;
  const ExportOptions options;
  XmlRowWriter writer(ParseAddress(kBlock).areas.front(), kBlock, options,
                      sink);
  writer.AddRow(5, rows_[5]);
  EXPECT_THROW(writer.AddRow(5, rows_[5]), std::invalid_argument);
  EXPECT_THROW(writer.AddRow(3, rows_[3]), std::invalid_argument);
}

TEST_F(XmlStreamingTest, FileHoldsTheWholeTextForEveryLayout) {
  const fs::path folder = fs::temp_directory_path() /
                          ("kestrilo-streaming-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string path = (folder / "Book1.xml").string();
  for (const Layout& layout : kLayouts) {
    const ExportOptions options = OptionsFor(layout);
    const std::string whole = BlockToXml(source_, options, kBlock);
    OutputFile file(path);
    WriteBlockXml(source_, options, kBlock, file);
    file.Commit();
    EXPECT_EQ(Mismatch(ReadBytes(path), whole), "");
    EXPECT_EQ(file.bytes(), whole.size());

    // The text goes out in pieces of bounded size, never whole.
    PieceSink pieces;
    WriteBlockXml(source_, options, kBlock, pieces);
    EXPECT_GT(pieces.pieces.size(), 3u);
    EXPECT_LT(pieces.largest, std::size_t{300} << 10);
  }
  fs::remove_all(folder);
}

// A source that fails at a row, after much of the text has gone out.
class FailingSource : public MemoryCellSource {
 public:
  CellValue Value(std::int32_t row, std::int32_t column) const override {
    if (row == 1400) throw std::runtime_error("the sheet went away");
    return MemoryCellSource::Value(row, column);
  }
};

// Neither a failed write half-way nor a failed conversion leaves a partial
// file: the earlier file stays, and no temporary file is left behind.
TEST_F(XmlStreamingTest, FailureHalfWayKeepsTheEarlierFile) {
  const fs::path folder = fs::temp_directory_path() /
                          ("kestrilo-failing-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string path = (folder / "Book1.xml").string();
  WriteTextFile("earlier text", path);

  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 1 << 20;  // a few pieces get through first
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string message;
  bool failed = false;
  try {
    OutputFile file(path);
    try {
      WriteBlockXml(source_, ExportOptions(), kBlock, file);
    } catch (...) {
      failed = file.failed();
      throw;
    }
  } catch (const std::runtime_error& error) {
    message = error.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_TRUE(failed);
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  EXPECT_EQ(ReadBytes(path), "earlier text");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);

  FailingSource failing;
  failing.Set(1, 1, CellValue::Text(texts_[0]));
  {
    OutputFile file(path);
    EXPECT_THROW(WriteBlockXml(failing, ExportOptions(), "A1:Z1500", file),
                 std::runtime_error);
    EXPECT_FALSE(file.failed());
  }
  EXPECT_EQ(ReadBytes(path), "earlier text");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kestrilo
