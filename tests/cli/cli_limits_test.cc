// SPDX-License-Identifier: MIT
// kestrilo-cli where the system sets limits: a pipe whose reader goes away,
// a limit on file size, a report that would land on a file of the run or
// in the XML it writes. Each leaves no temporary file and loses nothing.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace kestrilo::cli {
namespace {

namespace fs = std::filesystem;
using test_support::HasTemporaryFile;
using test_support::HeldPipe;
using test_support::Outcome;
using test_support::ReadFile;
using test_support::WriteFile;
using ::testing::HasSubstr;

constexpr char kSmallCsv[] = "a,b\r\n1,2\r\n";

// A csv whose XML takes about `rows` * 130 bytes.
std::string LargeCsv(int rows) {
  std::string csv = "Alpha,Beta,Gamma,Delta\r\n";
  for (int row = 0; row < rows; ++row) {
    csv += std::to_string(row) + ",1,2,3\r\n";
  }
  return csv;
}

class CliLimitsTest : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) {
    return test_support::RunToolIn(dir_, args);
  }

  // Runs the tool with standard input from `in` and standard output into
  // `out`, both in the test folder.
  Outcome RunRedirected(const std::vector<std::string>& args,
                        const std::string& in, const std::string& out) {
    Outcome outcome;
    outcome.status = test_support::Wait(test_support::Start(
        KESTRILO_CLI, args, dir_, dir_ / in, dir_ / out, dir_ / ".err"));
    outcome.err = ReadFile(dir_ / ".err");
    return outcome;
  }

  test_support::ToolFolder folder_{"limits"};
  const fs::path& dir_ = folder_.path();
};

// `--report - ... | head`: the report's reader goes while another workbook
// is being written. The run ends as SIGPIPE would, and the file under way
// goes with it; the one finished stays.
TEST_F(CliLimitsTest, ReportReaderGoneLeavesNoTemporaryFile) {
  HeldPipe first(dir_ / "in" / "first.csv");
  HeldPipe second(dir_ / "in" / "second.csv");
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    test_support::ExecTool(KESTRILO_CLI,
                           {"--jobs", "2", "--report", "-", "-o", "out",
                            "in/first.csv", "in/second.csv"},
                           dir_, -1, report[1], -1);
  }
  close(report[1]);
  // Both are under way, their temporary files made, when the reader goes.
  ASSERT_TRUE(first.AwaitReader(pid));
  ASSERT_TRUE(second.AwaitReader(pid));
  close(report[0]);
  first.Release(kSmallCsv);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
  EXPECT_FALSE(HasTemporaryFile(dir_ / "out"));
  EXPECT_TRUE(fs::exists(dir_ / "out" / "first.xml"));
  EXPECT_FALSE(fs::exists(dir_ / "out" / "second.xml"));
}

// Beyond the limit on file size (ulimit -f), that workbook fails naming its
// file and the limit, its temporary file goes, and the run goes on.
TEST_F(CliLimitsTest, FileSizeLimitFailsThatWorkbookAndTheRunGoesOn) {
  WriteFile(dir_ / "big.csv", LargeCsv(20000));
  WriteFile(dir_ / "small.csv", kSmallCsv);
  constexpr rlim_t kLimit = 1 << 20;
  const std::vector<std::vector<std::string>> runs = {
      // The used range, rows kept in a temporary file until it is known.
      {"--jobs", "1", "--report", "r.jsonl", "-o", "out", "big.csv",
       "small.csv"},
      // A block given by address, streamed into the output file.
      {"--jobs", "1", "--range", "A1:D20001", "--report", "r.jsonl", "-o",
       "out", "big.csv"},
  };
  for (const std::vector<std::string>& args : runs) {
    SCOPED_TRACE(args[2]);
    fs::remove_all(dir_ / "out");
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = kLimit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const pid_t pid = test_support::Start(KESTRILO_CLI, args, dir_, "",
                                          dir_ / ".out", dir_ / ".err");
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(test_support::Wait(pid), 1);
    const std::string err = ReadFile(dir_ / ".err");
    EXPECT_THAT(err, HasSubstr("kestrilo-cli: big.csv: "));
    EXPECT_THAT(
        err, HasSubstr("File too large (files may take at most " +
                       std::to_string(kLimit) + " bytes here: ulimit -f)\n"));
    EXPECT_FALSE(HasTemporaryFile(dir_ / "out"));
    EXPECT_FALSE(fs::exists(dir_ / "out" / "big.xml"));
    const std::string report = ReadFile(dir_ / "r.jsonl");
    EXPECT_THAT(report, HasSubstr("\"input\":\"big.csv\",\"output\":null,"
                                  "\"status\":\"failed\""));
    if (args.back() == "small.csv") {
      EXPECT_TRUE(fs::exists(dir_ / "out" / "small.xml"));
      EXPECT_THAT(report, HasSubstr("\"input\":\"small.csv\",\"output\":"
                                    "\"out/small.xml\",\"status\":"
                                    "\"converted\""));
    }
  }
}

// The report would replace a schema of the run, the list read from
// standard input, or write into the XML on standard output: wrong usage,
// refused before anything is written.
TEST_F(CliLimitsTest, ReportNeverLandsOnASchemaTheListOrTheXml) {
  WriteFile(dir_ / "in.csv", kSmallCsv);
  WriteFile(dir_ / "list.txt", "in.csv\n");
  const Outcome schema = Run({"--report", "out/in.xsd", "--records", "r",
                              "--schema", "-o", "out", "in.csv"});
  EXPECT_EQ(schema.status, 2);
  EXPECT_THAT(schema.err, HasSubstr("--report out/in.xsd would replace the "
                                    "schema out/in.xsd of in.csv"));
  EXPECT_FALSE(fs::exists(dir_ / "out"));

  const Outcome list =
      RunRedirected({"--report", "list.txt", "--files-from", "-", "-o", "out"},
                    "list.txt", ".out");
  EXPECT_EQ(list.status, 2);
  EXPECT_THAT(list.err, HasSubstr("--report list.txt would replace the input "
                                  "list read from standard input"));
  EXPECT_EQ(ReadFile(dir_ / "list.txt"), "in.csv\n");
  EXPECT_FALSE(fs::exists(dir_ / "out"));

  const Outcome into_xml = RunRedirected(
      {"--report", "/dev/stdout", "-o", "-", "in.csv"}, "list.txt", "x.xml");
  EXPECT_EQ(into_xml.status, 2);
  EXPECT_THAT(into_xml.err, HasSubstr("--report /dev/stdout would write into "
                                      "the XML on standard output"));
  EXPECT_EQ(ReadFile(dir_ / "x.xml"), "");

  // A device beside the XML spoils nothing.
  const Outcome device = RunRedirected(
      {"--report", "/dev/null", "-o", "-", "in.csv"}, "list.txt", "x.xml");
  EXPECT_EQ(device.status, 0) << device.err;
  EXPECT_THAT(ReadFile(dir_ / "x.xml"), HasSubstr("<XML>"));
}

}  // namespace
}  // namespace kestrilo::cli
