// SPDX-License-Identifier: MIT

#include "engine/reading/workbook_reader.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "biff_test_writer.h"
#include "engine/input/reader_budget.h"
#include "engine/input/workbook_error.h"
#include "test_package.h"

namespace kestrilo {
namespace {

using ::testing::HasSubstr;
using testing_support::TestFilePath;

std::string ReasonOf(const std::string& path) {
  try {
    ReadWorkbook(path);
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), path);
    return error.reason();
  }
  return "(read without error)";
}

// Feeds a named pipe once, as a program writing its output there does. A
// reader that opens the pipe a second time would wait for a writer forever:
// after a few seconds the feeder opens it once more, empty, so that such a
// reader fails its test instead of hanging it.
class PipeFeeder {
 public:
  PipeFeeder(std::string path, std::string content)
      : path_(std::move(path)), content_(std::move(content)) {
    EXPECT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    thread_ = std::thread([this] { Feed(); });
  }
  ~PipeFeeder() {
    done_ = true;
    thread_.join();
  }

 private:
  void Feed() {
    if (!content_.empty()) {
      const int fd = ::open(path_.c_str(), O_WRONLY);
      EXPECT_EQ(::write(fd, content_.data(), content_.size()),
                static_cast<ssize_t>(content_.size()));
      ::close(fd);
    }
    for (int i = 0; i < 50 && !done_; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (done_) return;
    const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }

  std::string path_;
  std::string content_;
  std::atomic<bool> done_ = false;
  std::thread thread_;
};

TEST(WorkbookReaderTest, CsvFromANamedPipeIsReadOnce) {
  const std::string path = TestFilePath("piped.csv");
  PipeFeeder feeder(path, "a,b\n1,2\n");
  const auto book = ReadWorkbook(path);
  EXPECT_EQ(book->sheet(0).Cell(2, 2).text, "2");
}

// Opening a pipe waits for a writer: one that is no text is refused from
// what it is, never opened.
TEST(WorkbookReaderTest, WorkbooksFromPipesAreRefusedWithoutWaiting) {
  const std::string path = TestFilePath("piped.xlsx");
  PipeFeeder feeder(path, "");
  EXPECT_THAT(ReasonOf(path), HasSubstr("not a regular file"));
}

TEST(WorkbookReaderTest, EndlessDevicesAreRefusedAtTheirFirstBytes) {
  const std::string zero = TestFilePath("zero.csv");
  std::filesystem::create_symlink("/dev/zero", zero);
  EXPECT_THAT(ReasonOf(zero), HasSubstr("NUL bytes"));
  const std::string folder = TestFilePath("folder.xlsx");
  std::filesystem::create_directory(folder);
  EXPECT_THAT(ReasonOf(folder), HasSubstr("folder"));
}

// Files read whole are refused by their size before they are read, pipes
// as soon as they bring more than the budget.
TEST(WorkbookReaderTest, FilesReadWholeKeepToTheBudget) {
  ReaderBudget::Limits limits;
  limits.file_bytes = 4096;
  const ReaderBudget::ScopedLimits scoped(limits);
  const std::string csv = TestFilePath("big.csv");
  std::ofstream(csv) << std::string(5000, 'x');
  EXPECT_THAT(ReasonOf(csv), HasSubstr("larger than 4096 bytes"));
  testing_support::CompoundFileWriter writer;
  writer.AddStream("Workbook", std::string(5000, '\0'));
  const std::string xls = TestFilePath("big.xls");
  std::ofstream(xls, std::ios::binary) << writer.Build();
  EXPECT_THAT(ReasonOf(xls), HasSubstr("larger than 4096 bytes"));
  const std::string piped = TestFilePath("big_piped.txt");
  PipeFeeder feeder(piped, std::string(5000, 'y'));
  EXPECT_THAT(ReasonOf(piped), HasSubstr("larger than 4096 bytes"));
}

}  // namespace
}  // namespace kestrilo
