// SPDX-License-Identifier: MIT
// The CLI reads xlsx sheets row by row for the row-wise layouts, and takes
// the sheet model instead whenever the file does not allow that; the XML
// must be the model's either way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "../engine/support/test_package.h"
#include "cli/workbook_conversion.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/xml_writer.h"

namespace kestrilo::cli {
namespace {

using testing_support::kMainNamespace;
using testing_support::OneSheetPackage;
using testing_support::WritePackage;

// A one-sheet workbook whose sheet part states `dimension` (none when
// empty).
std::string PackageWithDimension(const std::string& name,
                                 const std::string& dimension,
                                 const std::string& rows) {
  auto parts = OneSheetPackage(rows);
  for (auto& [part, content] : parts) {
    if (part == "xl/worksheets/sheet1.xml") {
      content =
          std::string("<worksheet xmlns=\"") + kMainNamespace + "\">" +
          (dimension.empty() ? "" : "<dimension ref=\"" + dimension + "\"/>") +
          "<sheetData>" + rows + "</sheetData></worksheet>";
    }
  }
  return WritePackage(name, parts);
}

struct Converted {
  JobResult result;
  std::string xml;
};

Converted Convert(const std::string& path, const std::string& range = "") {
  Job job;
  job.input = path;
  job.output_path = path + ".xml";
  ConversionSettings settings;
  settings.request.block = range;
  Converted converted{ConvertWorkbook(job, settings), ""};
  std::ifstream file(job.output_path, std::ios::binary);
  converted.xml.assign(std::istreambuf_iterator<char>(file), {});
  return converted;
}

std::string ModelXml(const std::string& path, const std::string& address) {
  const auto workbook = ReadWorkbook(path);
  WorkbookCellSource cells(*workbook, 0);
  return BlockToXml(cells, ExportOptions(), address);
}

TEST(RowByRowRoad, GivesTheModelsXmlWhereTheFileMisleads) {
  const std::string rows =
      "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a</t></is></c>"
      "<c r=\"B1\" t=\"inlineStr\"><is><t>b</t></is></c></row>"
      "<row r=\"3\"><c r=\"A3\"><v>3</v></c></row>"
      "<row r=\"2\"><c r=\"B2\"><v>2</v></c></row>";
  // Rows out of order, with a true dimension and with none.
  for (const char* dimension : {"A1:B3", ""}) {
    const std::string path =
        PackageWithDimension("unsorted.xlsx", dimension, rows);
    const auto [result, xml] = Convert(path);
    ASSERT_EQ(result.status, JobResult::Status::kConverted) << result.reason;
    EXPECT_EQ(xml, ModelXml(path, "A1:B3")) << dimension;
  }
  // A dimension smaller and one larger than the cells.
  const std::string sorted =
      "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a</t></is></c></row>"
      "<row r=\"4\"><c r=\"C4\"><v>4</v></c></row>";
  for (const char* dimension : {"A1:B2", "A1:D9", "A1:C4"}) {
    const std::string path =
        PackageWithDimension("claims.xlsx", dimension, sorted);
    const auto [result, xml] = Convert(path);
    ASSERT_EQ(result.status, JobResult::Status::kConverted) << result.reason;
    EXPECT_EQ(result.block, "$A$1:$C$4") << dimension;
    EXPECT_EQ(xml, ModelXml(path, "A1:C4")) << dimension;
  }
}

TEST(RowByRowRoad, WarnsAsTheModelRoadDoes) {
  const std::string path = PackageWithDimension(
      "warnings.xlsx", "A1:B2",
      "<row r=\"1\"><c r=\"A1\"><f>1+1</f></c><c r=\"B1\"><v>1</v></c></row>"
      "<row r=\"2\"><c r=\"B2\"><v>2</v></c></row>");
  const auto [result, xml] = Convert(path, "D5:E6");
  ASSERT_EQ(result.status, JobResult::Status::kConverted) << result.reason;
  EXPECT_EQ(result.warnings,
            (std::vector<std::string>{
                "1 formula has no cached value and read as empty",
                "block is empty ($D$5:$E$6 of sheet 'Sheet1' has no cells)"}));
  EXPECT_EQ(xml, ModelXml(path, "D5:E6"));
}

// Opening a named pipe waits for a writer; a workbook name on a pipe must be
// refused without opening it. A watchdog plays the writer: if it finds a
// reader waiting, the pipe was opened.
TEST(RowByRowRoad, RefusesANamedPipeWithoutOpeningIt) {
  const std::string path =
      (std::filesystem::temp_directory_path() /
       ("row_road_pipe_" + std::to_string(::getpid()) + ".xlsx"))
          .string();
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  std::atomic<bool> done = false;
  std::atomic<bool> opened = false;
  std::thread watchdog([&] {
    while (!done) {
      const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        opened = true;
        ::close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  const JobResult result = Convert(path).result;
  done = true;
  watchdog.join();
  std::filesystem::remove(path);
  EXPECT_FALSE(opened);
  EXPECT_EQ(result.status, JobResult::Status::kFailed);
  EXPECT_NE(result.reason.find("not a regular file"), std::string::npos)
      << result.reason;
}

}  // namespace
}  // namespace kestrilo::cli
