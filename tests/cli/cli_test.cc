// SPDX-License-Identifier: MIT
// End-to-end tests of kestrilo-cli: run the built binary on fixture
// workbooks and compare the files it writes byte for byte.

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli_test_support.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace kestrilo::cli {
namespace {

namespace fs = std::filesystem;
using test_support::Fixture;
using test_support::HasTemporaryFile;
using test_support::HeldPipe;
using test_support::IsRunning;
using test_support::Outcome;
using test_support::Pause;
using test_support::ReadFile;
using test_support::WriteFile;

using ::testing::HasSubstr;
using ::testing::Not;

std::string Expected(const std::string& name) {
  const fs::path path = Fixture("expected") / name;
  EXPECT_TRUE(fs::exists(path)) << path;
  return ReadFile(path);
}

// For StartTool: the tool starts with standard error closed (`2>&-`).
constexpr int kClosedStderr = -2;

// Starts the tool in `cwd` with `args`; stdout and stderr go to files there.
// With `stderr_fd` set, standard error goes to that descriptor instead.
// With `ignore_hangup`, it starts as under nohup.
pid_t StartTool(const fs::path& cwd, const std::vector<std::string>& args,
                int stderr_fd = -1, bool ignore_hangup = false) {
  const fs::path out_path = cwd / ".stdout";
  const fs::path err_path = cwd / ".stderr";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(127);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = stderr_fd >= 0 ? stderr_fd
                                   : open(err_path.c_str(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (stderr_fd == kClosedStderr) close(STDERR_FILENO);
    if (ignore_hangup) signal(SIGHUP, SIG_IGN);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(KESTRILO_CLI));
    for (const std::string& arg : args) {
      argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(KESTRILO_CLI, argv.data());
    _exit(127);
  }
  return pid;
}

// Waits for a tool started in `cwd` and collects what it wrote.
Outcome FinishTool(pid_t pid, const fs::path& cwd) {
  int status = 0;
  waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = ReadFile(cwd / ".stdout");
  outcome.err = ReadFile(cwd / ".stderr");
  fs::remove(cwd / ".stdout");
  fs::remove(cwd / ".stderr");
  return outcome;
}

Outcome RunTool(const fs::path& cwd, const std::vector<std::string>& args,
                int stderr_fd = -1) {
  return FinishTool(StartTool(cwd, args, stderr_fd), cwd);
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" +
                       info->name() + "_" + std::to_string(getpid());
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    dir_ = fs::temp_directory_path() / ("kestrilo_cli_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  Outcome Run(const std::vector<std::string>& args) {
    return RunTool(dir_, args);
  }

  // Copies a fixture into the test folder under `relative`.
  fs::path Place(const std::string& fixture, const fs::path& relative) {
    const fs::path target = dir_ / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(Fixture(fixture), target,
                  fs::copy_options::overwrite_existing);
    return target;
  }

  // The names of the files in a folder of the test folder, sorted.
  std::vector<std::string> FilesIn(const fs::path& relative) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / relative)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

// --- Layout options, on the csv of the fruit example ------------------------

struct OptionCase {
  const char* name;
  std::vector<std::string> options;
  const char* expected;
};

void PrintTo(const OptionCase& option_case, std::ostream* out) {
  *out << option_case.name;
}

class CliOptionTest : public CliTest,
                      public ::testing::WithParamInterface<OptionCase> {};

TEST_P(CliOptionTest, WritesExpectedXml) {
  std::vector<std::string> args = GetParam().options;
  args.insert(args.end(), {Fixture("fruit.csv").string(), "-o", "out"});
  const Outcome outcome = Run(args);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(dir_ / "out" / "fruit.xml"),
            Expected(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Fruit, CliOptionTest,
    ::testing::Values(
        OptionCase{"Defaults", {}, "fruit.xml"},
        OptionCase{"HeaderRowExplicit",
                   {"--headers", "row", "--order", "column"},
                   "fruit.xml"},
        OptionCase{"HeaderColumn",
                   {"--headers", "column", "--title", "My Data"},
                   "fruit_header_column.xml"},
        OptionCase{"BothRowFirst",
                   {"--headers=both", "--order=row", "--title=My Data"},
                   "fruit_both_row.xml"},
        OptionCase{
            "BothColumnFirst",
            {"--headers", "both", "--order", "column", "--title", "My Data"},
            "fruit_both_column.xml"},
        OptionCase{"NoneRowFirst",
                   {"--headers", "none", "--title", "My Data"},
                   "fruit_none_row.xml"},
        OptionCase{
            "NoneColumnFirst",
            {"--headers", "none", "--order", "column", "--title", "My Data"},
            "fruit_none_column.xml"},
        // Raw names: the row numbers as they are, as older versions wrote.
        OptionCase{"NoneRawNames",
                   {"--headers", "none", "--title", "My Data", "--raw-names"},
                   "fruit_none_row_raw.xml"},
        OptionCase{"NoneValidNamesAsked",
                   {"--raw-names", "--valid-names", "--headers", "none",
                    "--title", "My Data"},
                   "fruit_none_row.xml"},
        OptionCase{"NoTitleTag", {"--no-title-tag"}, "fruit_no_title_tag.xml"},
        OptionCase{"NoTitleTagNested",
                   {"--no-title-tag", "--headers", "none"},
                   "fruit_none_no_title_tag.xml"},
        OptionCase{"Range",
                   {"--range", "B1:C3", "--headers", "none"},
                   "fruit_range_b1c3_none.xml"},
        OptionCase{"AbsoluteRange",
                   {"--range", "$B$1:$C$3", "--headers", "none"},
                   "fruit_range_b1c3_none.xml"},
        OptionCase{"SheetByNumber", {"--sheet", "1"}, "fruit.xml"},
        // Whole columns and whole rows stand for their filled part.
        OptionCase{"WholeColumns",
                   {"--range", "$A:$B", "--headers", "none"},
                   "fruit_columns_ab_none.xml"},
        OptionCase{"WholeRows", {"--range", "2:3"}, "fruit_rows_2_3.xml"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTest, EscapesCellTextUnlessToldNot) {
  const fs::path special = Fixture("special.csv");
  ASSERT_EQ(Run({special.string(), "-o", "esc"}).status, 0);
  EXPECT_EQ(ReadFile(dir_ / "esc" / "special.xml"), Expected("special.xml"));
  ASSERT_EQ(Run({"--no-escape", special.string(), "-o", "raw"}).status, 0);
  EXPECT_EQ(ReadFile(dir_ / "raw" / "special.xml"),
            Expected("special_raw.xml"));
}

// Two cells at A1 and XFD1048576: a block of seventeen billion cells, which
// the budget refuses at once while the other workbooks still convert.
TEST_F(CliTest, TheOutputBudgetRefusesABlockTooLargeAndLetsTheRestConvert) {
  {
    std::ofstream csv(dir_ / "corner.csv", std::ios::binary);
    csv << "1" << std::string(1048575, '\n') << std::string(16383, ',')
        << "2\n";
    std::ofstream small(dir_ / "small.csv", std::ios::binary);
    small << "a,b\r\n1,2\r\n";
  }
  Outcome outcome = Run({"corner.csv", "small.csv", "-o", "out"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err,
              HasSubstr("kestrilo-cli: corner.csv: the block $1:$1048576 of "
                        "sheet 'corner' has 17,179,869,184 cells, 2 of them "
                        "filled: its XML would take at least 172 GB, more "
                        "than the 2 GiB allowed (--max-output)"));
  EXPECT_EQ(FilesIn("out"), std::vector<std::string>{"small.xml"});
  // A lower limit stops a text that grows beyond it, and 0 lifts it.
  outcome = Run(
      {"--max-output", "1k", "--range", "A1:Z100", "corner.csv", "-o", "out"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("more than the 1 kB allowed"));
  outcome = Run(
      {"--max-output", "0", "--range", "A1:Z100", "corner.csv", "-o", "out"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Run({"--max-output", "2X", "corner.csv"}).status, 2);
}

// `-o -` writes as the XML is made: the tool's memory stays far below the
// size of the text it writes.
TEST_F(CliTest, StandardOutputTakesTheXmlAsItIsMade) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's own memory hides the tool's";
#endif
  {
    std::ofstream csv(dir_ / "wide.csv", std::ios::binary);
    for (int row = 0; row < 60000; ++row) {
      for (int column = 0; column < 20; ++column) {
        csv << (column ? "," : "") << "text " << row * 20 + column;
      }
      csv << "\r\n";
    }
  }
  const fs::path out = dir_ / "wide.xml";
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDOUT_FILENO);
    if (chdir(dir_.c_str()) != 0) _exit(127);
    execl(KESTRILO_CLI, KESTRILO_CLI, "--quiet", "-o", "-", "wide.csv",
          nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::uintmax_t xml_bytes = fs::file_size(out);
  EXPECT_GT(xml_bytes, 30u << 20);
  // ru_maxrss counts kilobytes.
  EXPECT_LT(static_cast<std::uintmax_t>(usage.ru_maxrss) * 1024, xml_bytes / 3);
}

TEST_F(CliTest, ValidNamesUnlessRawNamesAsked) {
  {
    std::ofstream csv(dir_ / "years.csv", std::ios::binary);
    csv << "2021 Sales,Name,a:b,Price(USD),\r\n5,x,y,z,w\r\n";
  }
  Outcome outcome = Run({"years.csv", "-o", "-", "--title", "1 Q"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "<_1Q>\r\n\t<_2021Sales>5</_2021Sales>\r\n\t<Name>x</Name>\r\n"
            "\t<a_b>y</a_b>\r\n\t<Price_USD_>z</Price_USD_>\r\n\t<_>w</_>\r\n"
            "</_1Q>\r\n");
  EXPECT_EQ(
      Run({"--valid-names", "years.csv", "-o", "-", "--title", "1 Q"}).out,
      outcome.out);
  outcome = Run({"--raw-names", "years.csv", "-o", "-", "--title", ""});
  EXPECT_EQ(outcome.out,
            "<>\r\n\t<2021Sales>5</2021Sales>\r\n\t<Name>x</Name>\r\n"
            "\t<a:b>y</a:b>\r\n\t<Price(USD)>z</Price(USD)>\r\n\t<>w</>\r\n"
            "</>\r\n");
  EXPECT_THAT(Run({"years.csv", "-o", "-", "--title", ""}).out,
              testing::StartsWith("<_>\r\n"));
}

TEST_F(CliTest, AsDisplayedOnlyWhenAsked) {
  const std::string kinds = (Fixture("..") / "kinds.xlsx").string();
  const std::vector<std::string> block = {kinds,     "--sheet", "Values",
                                          "--range", "B23:B24", "--headers",
                                          "none",    "-o",      "-"};
  std::vector<std::string> args = block;
  args.push_back("--as-displayed");
  Outcome outcome = Run(args);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "<XML>\r\n\t<_23>\r\n\t\t\t<B>25.0%</B>\r\n\t</_23>\r\n"
            "\t<_24>\r\n\t\t\t<B>EUR 19.99</B>\r\n\t</_24>\r\n</XML>\r\n");
  outcome = Run(block);
  EXPECT_NE(outcome.out.find("<B>0.25</B>"), std::string::npos) << outcome.out;
}

// A header meant to break out of its tag, and cells with characters XML
// cannot hold: safe names, U+FFFD, and one warning naming the first cell.
TEST_F(CliTest, HostileCellsGiveSafeOutputAndOneWarning) {
  {
    std::ofstream csv(dir_ / "hostile.csv", std::ios::binary);
    csv << "Name,role></role><admin>true</admin><role\r\n"
        << "A,bell\x07\r\nB,nul\x01\r\n";
  }
  Outcome outcome = Run({"hostile.csv", "--title", "T<", "-o", "out"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::string tag = "role___role__admin_true__admin__role";
  EXPECT_EQ(ReadFile(dir_ / "out" / "hostile.xml"),
            "<T_>\r\n\t<Name>A</Name>\r\n\t<" + tag + ">bell\xEF\xBF\xBD</" +
                tag + ">\r\n\t<Name>B</Name>\r\n\t<" + tag +
                ">nul\xEF\xBF\xBD</" + tag + ">\r\n</T_>\r\n");
  EXPECT_THAT(outcome.err,
              HasSubstr("hostile.csv: warning: characters that XML cannot "
                        "hold are written as U+FFFD, first in cell B2 of "
                        "sheet 'hostile'\n"));
  EXPECT_THAT(outcome.err, Not(HasSubstr("cell B3")));
  outcome = Run({"--no-escape", "--raw-names", "hostile.csv", "-o", "raw"});
  EXPECT_THAT(ReadFile(dir_ / "raw" / "hostile.xml"),
              HasSubstr("<role></role><admin>true</admin><role>bell\x07<"));
  EXPECT_THAT(outcome.err, Not(HasSubstr("U+FFFD")));
}

// --- Every format ------------------------------------------------------------

class CliFormatTest : public CliTest,
                      public ::testing::WithParamInterface<const char*> {};

TEST_P(CliFormatTest, PricesSheetGivesTheFruitXml) {
  const std::string workbook = GetParam();
  const Outcome outcome =
      Run({"--sheet", "Prices", Fixture(workbook).string(), "-o", "out"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(FilesIn("out"), std::vector<std::string>{"fruit.xml"});
  EXPECT_EQ(ReadFile(dir_ / "out" / "fruit.xml"), Expected("fruit.xml"));
}

TEST_P(CliFormatTest, AddressNamingASheetSelectsIt) {
  const Outcome outcome =
      Run({"--range", "'Sheet 2'!$A$1:$C$3", "--sheet", "Notes",
           Fixture(GetParam()).string(), "-o", "-"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  // LibreOffice saved the booleans as numbers with a boolean format: they
  // are read as the truth values it shows.
  EXPECT_EQ(outcome.out, Expected("sheet2.xml"));
}

TEST_P(CliFormatTest, NoHeadersUseTheSheetsOwnRowsAndColumns) {
  const Outcome outcome =
      Run({"--sheet", "Prices", "--headers", "none", "--order", "column",
           Fixture(GetParam()).string(), "-o", "-"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, Expected("fruit_xlsx_none_column.xml"));
}

INSTANTIATE_TEST_SUITE_P(Workbooks, CliFormatTest,
                         ::testing::Values("fruit.xlsx", "fruit.xlsm",
                                           "fruit.ods", "fruit.xls"),
                         [](const auto& info) {
                           std::string name = info.param;
                           return name.substr(name.find('.') + 1);
                         });

TEST_F(CliTest, DefaultIsTheUsedRangeOfTheActiveSheet) {
  // The xlsx marks its second sheet, Prices, as active; the first one holds
  // a note.
  const Outcome outcome = Run({Fixture("fruit.xlsx").string(), "-o", "-"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, Expected("fruit.xml"));
}

TEST_F(CliTest, SheetByNumberCountsFromOne) {
  const Outcome outcome =
      Run({"--sheet", "3", Fixture("fruit.xlsx").string(), "-o", "-"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, Expected("sheet2.xml"));
}

TEST_F(CliTest, MissingSheetFailsNamingIt) {
  Outcome outcome =
      Run({"--sheet", "Nowhere", Fixture("fruit.xlsx").string(), "-o", "o"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("fruit.xlsx: no sheet named 'Nowhere'"));
  outcome = Run({"--sheet", "9", Fixture("fruit.xlsx").string(), "-o", "o"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("no sheet number 9"));
  EXPECT_TRUE(FilesIn("o").empty());
}

// --- Output
// -------------------------------------------------------------------

TEST_F(CliTest, StandardOutputTakesTheXmlAndNoFileIsWritten) {
  const Outcome outcome = Run({"-o", "-", Fixture("fruit.csv").string()});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, Expected("fruit.xml"));
  EXPECT_THAT(outcome.err, HasSubstr("1 converted, 0 failed, 0 skipped"));
  EXPECT_TRUE(FilesIn(".").empty());
}

TEST_F(CliTest, StandardOutputRefusesSeveralWorkbooks) {
  const Outcome outcome = Run({"-o", "-", Fixture("fruit.csv").string(),
                               Fixture("special.csv").string()});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, "");
  EXPECT_THAT(outcome.err, HasSubstr("usage: kestrilo-cli"));
}

TEST_F(CliTest, StandardOutputThatCannotBeWrittenFails) {
  const std::string command = std::string(KESTRILO_CLI) + " -o - " +
                              Fixture("fruit.csv").string() + " >/dev/full 2>" +
                              (dir_ / "err").string();
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_THAT(ReadFile(dir_ / "err"),
              HasSubstr("fruit.csv: cannot write to standard output"));
}

TEST_F(CliTest, DefaultOutputIsTheCurrentFolderAndMissingFoldersAreMade) {
  Outcome outcome = Run({Fixture("fruit.csv").string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(dir_ / "fruit.xml"), Expected("fruit.xml"));
  EXPECT_THAT(outcome.err, HasSubstr("output folder: " + dir_.string()));

  outcome = Run({Fixture("fruit.csv").string(), "-o", "a/b/c"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(dir_ / "a/b/c/fruit.xml"), Expected("fruit.xml"));
}

TEST_F(CliTest, OutputNamesReplaceOnlyTheLastExtension) {
  Place("fruit.csv", "in/sales.2021.q1.csv");
  Place("fruit.xlsx", "in/book");  // no extension: recognised by content
  const Outcome outcome = Run({"in/sales.2021.q1.csv", "in/book", "-o", "o"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(FilesIn("o"),
            (std::vector<std::string>{"book.xml", "sales.2021.q1.xml"}));
}

TEST_F(CliTest, ExistingOutputIsReplacedWhole) {
  fs::create_directories(dir_ / "o");
  std::ofstream(dir_ / "o" / "fruit.xml")
      << std::string(10000, 'x');  // longer than the new text
  ASSERT_EQ(Run({Fixture("fruit.csv").string(), "-o", "o"}).status, 0);
  EXPECT_EQ(ReadFile(dir_ / "o" / "fruit.xml"), Expected("fruit.xml"));
}

// --- Folders as input
// ----------------------------------------------------------

TEST_F(CliTest, FolderAddsMatchingFilesOfTheWholeTree) {
  Place("fruit.xlsx", "tree/top.xlsx");
  Place("fruit.xlsx", "tree/~$top.xlsx");  // a lock file: never added
  Place("fruit.ods", "tree/sub/deep/bottom.ods");
  Place("fruit.xls", "tree/sub/middle.xls");
  Place("fruit.csv", "tree/sub/fruit.csv");
  Place("fruit.csv", "tree/notes.md");  // no format the tool reads
  // By default a folder adds every format the tool reads, and nothing else.
  Outcome outcome = Run({"tree", "-o", "all"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(FilesIn("all"),
            (std::vector<std::string>{"bottom.xml", "fruit.xml", "middle.xml",
                                      "top.xml"}));
  EXPECT_EQ(ReadFile(dir_ / "all" / "middle.xml"), Expected("fruit.xml"));
  EXPECT_THAT(outcome.err, HasSubstr("4 converted, 0 failed, 0 skipped"));

  outcome = Run({"--ext", "xl*", "tree", "-o", "xl"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(FilesIn("xl"), (std::vector<std::string>{"middle.xml", "top.xml"}));

  outcome = Run({"--ext", "csv,ods", "tree", "-o", "two"});
  EXPECT_EQ(FilesIn("two"),
            (std::vector<std::string>{"bottom.xml", "fruit.xml"}));
}

TEST_F(CliTest, FolderWithoutMatchesIsReported) {
  fs::create_directories(dir_ / "empty");
  const Outcome outcome = Run({"empty", "-o", "o"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(outcome.err, HasSubstr("empty: warning: no files matching"));
  EXPECT_THAT(outcome.err, HasSubstr("0 converted, 0 failed, 0 skipped"));
}

// Names are bytes on Linux: a Latin-1 name, a folder with a newline or "?"
// are converted like any other, and what is left out is named.
TEST_F(CliTest, FolderScanKeepsEveryNameAndReportsWhatItSkips) {
  Place("fruit.csv",
        "tree/B\xfc"
        "cher.csv");
  Place("fruit.csv", "tree/new\nline/a10.csv");
  Place("fruit.csv", "tree/new\nline/A9.csv");
  Place("fruit.csv", "tree/what?/w.csv");
  Place("fruit.csv", "tree/~lock.csv");
  fs::create_directory_symlink(dir_ / "tree" / "what?", dir_ / "tree" / "link");
  const Outcome outcome = Run({"--ext", "csv", "tree", "-o", "o"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(FilesIn("o"), (std::vector<std::string>{"A9.xml",
                                                    "B\xfc"
                                                    "cher.xml",
                                                    "a10.xml", "w.xml"}));
  EXPECT_THAT(outcome.err, HasSubstr("tree/~lock.csv: skipped: "));
  EXPECT_THAT(outcome.err, HasSubstr("tree/link: skipped: "));
  EXPECT_THAT(outcome.err, HasSubstr("4 converted, 0 failed, 0 skipped"));
}

// --- Failures
// --------------------------------------------------------------------

TEST_F(CliTest, BrokenWorkbookFailsAndTheOthersStillConvert) {
  const Outcome outcome =
      Run({Fixture("fruit.csv").string(), Fixture("broken.xlsx").string(),
           "missing.xlsx", Fixture("special.csv").string(), "-o", "o"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(FilesIn("o"),
            (std::vector<std::string>{"fruit.xml", "special.xml"}));
  EXPECT_EQ(ReadFile(dir_ / "o" / "special.xml"), Expected("special.xml"));
  EXPECT_THAT(
      outcome.err,
      HasSubstr("kestrilo-cli: " + Fixture("broken.xlsx").string() + ": "));
  EXPECT_THAT(outcome.err, HasSubstr("kestrilo-cli: missing.xlsx: "));
  EXPECT_THAT(outcome.err, HasSubstr("2 converted, 2 failed, 0 skipped"));
}

// Plain ASCII is converted as it is read; a NUL met megabytes later still
// refuses the file, and the earlier output stays as it was.
TEST_F(CliTest, ATextRefusedLateLeavesTheEarlierOutput) {
  std::string text = "name,value\n";
  while (text.size() < (std::size_t{3} << 20)) text += "row,12345678\n";
  WriteFile(dir_ / "late.csv", text + std::string(1, '\0') + "\n");
  fs::create_directories(dir_ / "o");
  WriteFile(dir_ / "o" / "late.xml", "earlier");
  const Outcome outcome = Run({"late.csv", "-o", "o"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("late.csv: not a text file"));
  EXPECT_EQ(FilesIn("o"), std::vector<std::string>{"late.xml"});
  EXPECT_EQ(ReadFile(dir_ / "o" / "late.xml"), "earlier");
}

TEST_F(CliTest, OutputFolderThatCannotBeMadeFailsEveryWorkbook) {
  std::ofstream(dir_ / "plain") << "a file, not a folder";
  const Outcome outcome =
      Run({Fixture("fruit.csv").string(), Fixture("special.csv").string(), "-o",
           "plain/out"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("kestrilo-cli: plain/out: "));
  EXPECT_THAT(outcome.err, HasSubstr("0 converted, 2 failed"));
}

TEST_F(CliTest, UnwritableOutputFolderFailsNamingTheFile) {
  // Even root cannot create files in /proc.
  const Outcome outcome = Run({Fixture("fruit.csv").string(), "-o", "/proc"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("/proc/fruit.xml"));
  EXPECT_THAT(outcome.err, HasSubstr("0 converted, 1 failed"));
  EXPECT_FALSE(fs::exists("/proc/fruit.xml"));
}

// --- Warnings
// ----------------------------------------------------------------------

TEST_F(CliTest, SameOutputPathWarnsAndTheLaterWins) {
  Place("special.csv", "other/fruit.csv");
  for (const char* jobs : {"1", "4"}) {
    const Outcome outcome = Run({"--jobs", jobs, Fixture("fruit.csv").string(),
                                 "other/fruit.csv", "-o", "o"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadFile(dir_ / "o" / "fruit.xml"), Expected("special.xml"));
    EXPECT_THAT(outcome.err,
                HasSubstr("kestrilo-cli: other/fruit.csv: warning: "));
    EXPECT_THAT(outcome.err, HasSubstr(Fixture("fruit.csv").string()));
    EXPECT_THAT(outcome.err, HasSubstr("2 converted"));
  }
}

TEST_F(CliTest, AnInputIsNeverOverwrittenByAnOutput) {
  // A workbook named like an output file, found by name or by --ext xml,
  // and another workbook whose output would be that file.
  const fs::path report = Place("fruit.xlsx", "o/fruit.xml");
  Place("fruit.csv", "in/fruit.csv");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"in/fruit.csv", "o/fruit.xml", "-o", "o"},
        std::vector<std::string>{"--ext", "xml", "o", "-o", "o/"}}) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(ReadFile(report), ReadFile(Fixture("fruit.xlsx")));
    EXPECT_THAT(outcome.err, HasSubstr("o/fruit.xml: not converted: its "
                                       "output file o/fruit.xml is the "
                                       "workbook itself"));
    EXPECT_THAT(outcome.err, HasSubstr("0 converted"));
  }
  EXPECT_THAT(Run({"in/fruit.csv", "o/fruit.xml", "-o", "o"}).err,
              HasSubstr("in/fruit.csv: not converted: its output file "
                        "o/fruit.xml is the workbook o/fruit.xml of this run"));
}

TEST_F(CliTest, FormulasWithoutCachedValueWarnAndReadAsEmpty) {
  const Outcome outcome = Run({Fixture("formulas.xlsx").string(), "-o", "o"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(dir_ / "o" / "formulas.xml"), Expected("formulas.xml"));
  EXPECT_THAT(outcome.err,
              HasSubstr("formulas.xlsx: warning: 2 formulas have no cached "
                        "value and read as empty"));
}

TEST_F(CliTest, EmptySheetIsSkippedWithAWarning) {
  const Outcome outcome = Run({Fixture("empty.xlsx").string(), "-o", "o"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(outcome.err, HasSubstr("empty.xlsx: warning: block is empty"));
  EXPECT_THAT(outcome.err, HasSubstr("0 converted, 0 failed, 1 skipped"));
  EXPECT_TRUE(FilesIn("o").empty());
}

TEST_F(CliTest, EmptyRangeIsWrittenWithAWarning) {
  const Outcome outcome = Run({"--range", "H10:I12", "--headers", "none",
                               Fixture("fruit.csv").string(), "-o", "-"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(outcome.err, HasSubstr("fruit.csv: warning: block is empty"));
  EXPECT_THAT(outcome.out, HasSubstr("\t<_10>\r\n\t\t\t<H></H>\r\n"));
}

TEST_F(CliTest, EmptyWholeColumnsAreSkippedWithAWarning) {
  const Outcome outcome =
      Run({"--range", "F:G", Fixture("fruit.csv").string(), "-o", "o"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(outcome.err, HasSubstr("fruit.csv: warning: block is empty"));
  EXPECT_THAT(outcome.err, HasSubstr("0 converted, 0 failed, 1 skipped"));
  EXPECT_TRUE(FilesIn("o").empty());
}

TEST_F(CliTest, QuietLeavesOnlyWarningsAndErrors) {
  Outcome outcome = Run({"--quiet", Fixture("fruit.csv").string(), "-o", "o"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  outcome = Run({"-q", "missing.csv", "-o", "o"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("missing.csv"));
  EXPECT_THAT(outcome.err, Not(HasSubstr("converted")));
}

// --- Hostile surroundings: closed descriptors, signals -----------------------
//
// A workbook read from a named pipe that the test holds open is under way
// for certain, and cannot finish, until the test lets it: what a signal
// meets is then known, whatever the load of the machine.

// Writes a csv whose XML takes a moment to write: `rows` rows of 8 numbers.
void WriteLargeCsv(const fs::path& path, int rows) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << "Alpha,Beta,Gamma,Delta,Epsilon,Zeta,Eta,Theta\r\n";
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < 8; ++column) {
      out << (column ? "," : "") << row * 8 + column;
    }
    out << "\r\n";
  }
}

// Whether `signal` sent to the process waits to be taken.
bool SignalPending(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("ShdPnd:")) {
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
    }
  }
  return false;
}

// Sends `signal` and waits until the tool has taken it.
void SendAndAwaitTaken(pid_t pid, int signal) {
  kill(pid, signal);
  while (IsRunning(pid) && SignalPending(pid, signal)) Pause();
}

class CliSignalTest : public CliTest {
 protected:
  // Waits while the tool runs until its standard error holds `text`; a
  // bound far beyond any load turns a tool that never says it into a
  // failure rather than a hang.
  bool AwaitMessage(pid_t pid, const std::string& text) {
    const auto give_up =
        std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (IsRunning(pid) && std::chrono::steady_clock::now() < give_up) {
      if (ReadFile(dir_ / ".stderr").find(text) != std::string::npos) {
        return true;
      }
      Pause();
    }
    return ReadFile(dir_ / ".stderr").find(text) != std::string::npos;
  }

  // Large inputs, so that output files are being written for a while.
  std::vector<std::string> LargeInputs(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      names.push_back("in/big" + std::to_string(i) + ".csv");
      WriteLargeCsv(dir_ / names.back(), 60000);
    }
    return names;
  }

  // Waits until a temporary file is being written, or the outputs of all
  // of `inputs` are there: the tool cannot end while a pipe is held.
  void AwaitWriting(pid_t pid, const std::vector<std::string>& inputs) {
    for (;;) {
      if (!IsRunning(pid) || HasTemporaryFile(dir_ / "out")) return;
      const bool all = std::all_of(
          inputs.begin(), inputs.end(), [&](const std::string& input) {
            return fs::exists(dir_ / "out" / fs::path(input).stem() += ".xml");
          });
      if (all) return;
      Pause();
    }
  }

  // Every output there is complete, and no temporary file is left.
  void ExpectOnlyWholeFiles() {
    EXPECT_FALSE(HasTemporaryFile(dir_ / "out"));
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir_ / "out", error)) {
      EXPECT_THAT(ReadFile(entry.path()), testing::EndsWith("</XML>\r\n"))
          << entry.path();
    }
  }

  const std::string note_ =
      "kestrilo-cli: interrupted: the workbooks under way finish";
};

TEST_F(CliSignalTest, InterruptOrHangupFinishesTheWorkbookUnderWayAndNoMore) {
  for (const int signal : {SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    fs::remove_all(dir_ / "out");
    HeldPipe pipe(dir_ / "in" / "0.csv");
    std::vector<std::string> args = {"--jobs", "1", "in/0.csv"};
    for (int i = 1; i <= 3; ++i) {
      args.push_back(Place("fruit.csv", "in/" + std::to_string(i) + ".csv"));
    }
    args.insert(args.end(), {"-o", "out"});
    const pid_t pid = StartTool(dir_, args);
    ASSERT_TRUE(pipe.AwaitReader(pid));
    SendAndAwaitTaken(pid, signal);
    EXPECT_TRUE(AwaitMessage(pid, note_));
    pipe.Release(ReadFile(Fixture("fruit.csv")));
    const Outcome outcome = FinishTool(pid, dir_);
    EXPECT_EQ(outcome.status, 130) << outcome.err;
    EXPECT_THAT(outcome.err,
                HasSubstr("kestrilo-cli: interrupted; 1 converted, 0 failed, "
                          "0 skipped, 3 not started;"));
    EXPECT_EQ(FilesIn("out"), std::vector<std::string>{"0.xml"});
    EXPECT_EQ(ReadFile(dir_ / "out" / "0.xml"), Expected("fruit.xml"));
    fs::remove(dir_ / "in" / "0.csv");
  }
}

TEST_F(CliSignalTest, SecondInterruptStopsAtOnceLeavingNoTemporaryFile) {
  HeldPipe pipe(dir_ / "in" / "held.csv");
  const std::vector<std::string> large = LargeInputs(3);
  std::vector<std::string> args = {"--jobs", "2", "in/held.csv"};
  args.insert(args.end(), large.begin(), large.end());
  args.insert(args.end(), {"-o", "out"});
  const pid_t pid = StartTool(dir_, args);
  ASSERT_TRUE(pipe.AwaitReader(pid));
  AwaitWriting(pid, large);
  SendAndAwaitTaken(pid, SIGINT);
  EXPECT_TRUE(AwaitMessage(pid, note_));
  // The held workbook cannot finish: only the second one ends the run.
  kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  ExpectOnlyWholeFiles();
  EXPECT_FALSE(fs::exists(dir_ / "out" / "held.xml"));
}

// A service manager sends SIGTERM and, soon after, SIGKILL: one SIGTERM
// stops at once, files under way removed, finished ones and the report
// kept.
TEST_F(CliSignalTest, TerminateStopsAtOnceKeepingWhatIsFinished) {
  const fs::path first = Place("fruit.csv", "in/first.csv");
  HeldPipe pipe(dir_ / "in" / "held.csv");
  const std::vector<std::string> large = LargeInputs(3);
  std::vector<std::string> args = {
      "--jobs", "2", "--report", "run.jsonl", first.string(), "in/held.csv"};
  args.insert(args.end(), large.begin(), large.end());
  args.insert(args.end(), {"-o", "out"});
  const pid_t pid = StartTool(dir_, args);
  ASSERT_TRUE(pipe.AwaitReader(pid));
  while (IsRunning(pid) && ReadFile(dir_ / "run.jsonl").empty()) Pause();
  AwaitWriting(pid, large);
  SendAndAwaitTaken(pid, SIGTERM);
  // Today's tool would wait for the held workbook: let it end either way.
  pipe.Release(ReadFile(Fixture("fruit.csv")));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  ExpectOnlyWholeFiles();
  EXPECT_EQ(ReadFile(dir_ / "out" / "first.xml"), Expected("fruit.xml"));
  EXPECT_THAT(ReadFile(dir_ / "run.jsonl"),
              testing::StartsWith("{\"input\":\"" + first.string() +
                                  "\",\"output\":\"out/first.xml\","
                                  "\"status\":\"converted\""));
}

TEST_F(CliSignalTest, ClosedStandardErrorIsNeverAnOutputFile) {
  HeldPipe pipe(dir_ / "in" / "held.csv");
  std::vector<std::string> args = {"--jobs", "2", "in/held.csv"};
  for (int i = 0; i < 12; ++i) {  // each warns about its formulas
    args.push_back(
        Place("formulas.xlsx", "in/f" + std::to_string(i) + ".xlsx").string());
  }
  const std::vector<std::string> others = {args.begin() + 3, args.end()};
  args.insert(args.end(), {"-o", "out"});
  const pid_t pid = StartTool(dir_, args, kClosedStderr);
  // Once the tool is under way (before, the loader uses the descriptor), 2
  // is /dev/null, never a file of the run, while the others are written.
  ASSERT_TRUE(pipe.AwaitReader(pid));
  const std::string fd2 = "/proc/" + std::to_string(pid) + "/fd/2";
  for (;;) {
    std::error_code error;
    EXPECT_EQ(fs::read_symlink(fd2, error), "/dev/null");
    if (std::all_of(others.begin(), others.end(), [&](const std::string& in) {
          return fs::exists(dir_ / "out" / fs::path(in).stem() += ".xml");
        })) {
      break;
    }
    Pause();
  }
  pipe.Release(ReadFile(Fixture("fruit.csv")));
  const Outcome outcome = FinishTool(pid, dir_);
  EXPECT_EQ(outcome.status, 0);
  for (const std::string& name : FilesIn("out")) {
    EXPECT_THAT(ReadFile(dir_ / "out" / name), Not(HasSubstr("kestrilo-cli")))
        << name;
  }
}

TEST_F(CliSignalTest, HangupIgnoredAsUnderNohupStaysIgnored) {
  HeldPipe pipe(dir_ / "in" / "held.csv");
  const pid_t pid = StartTool(
      dir_, {"in/held.csv", Place("fruit.csv", "in/b.csv"), "-o", "out"}, -1,
      true);
  ASSERT_TRUE(pipe.AwaitReader(pid));
  kill(pid, SIGHUP);  // an ignored signal is dropped as it is sent
  pipe.Release(ReadFile(Fixture("fruit.csv")));
  const Outcome outcome = FinishTool(pid, dir_);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_THAT(outcome.err, HasSubstr("2 converted"));
  EXPECT_THAT(outcome.err, Not(HasSubstr("interrupted")));
}

// --- A full disk
// --------------------------------------------------------------

// Mounts a file system of `size` at `folder` that only this process and its
// children see (a mount namespace of their own, so nothing outlives the
// test); as root, or where user namespaces allow it. Returns why not, or
// nothing.
std::string MountSmallDisk(const fs::path& folder, const char* size) {
  if (unshare(CLONE_NEWNS) != 0) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
      return std::string("no mount namespace of our own: ") + strerror(errno);
    }
    WriteFile("/proc/self/setgroups", "deny");
    WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
    WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
  }
  if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      mount("tmpfs", folder.c_str(), "tmpfs", 0,
            ("size=" + std::string(size)).c_str()) != 0) {
    return std::string("cannot mount a small tmpfs: ") + strerror(errno);
  }
  return {};
}

// An export that runs out of space fails, naming the file and the reason;
// the earlier output survives byte for byte, no temporary file is left,
// and the space given back lets the next workbook convert.
TEST_F(CliTest, FullDiskFailsClearlyAndKeepsTheEarlierOutput) {
  fs::create_directories(dir_ / "out");
  if (const std::string why = MountSmallDisk(dir_ / "out", "1m");
      !why.empty()) {
    GTEST_SKIP() << why;
  }
  Place("fruit.csv", "in/big.csv");
  ASSERT_EQ(Run({"in/big.csv", "-o", "out"}).status, 0);
  const std::string earlier = ReadFile(dir_ / "out" / "big.xml");
  ASSERT_EQ(earlier, Expected("fruit.xml"));
  WriteLargeCsv(dir_ / "in" / "big.csv", 20000);  // about 3.6 MB of XML
  const Outcome outcome =
      Run({"--jobs", "1", "in/big.csv", Place("fruit.csv", "in/small.csv"),
           "-o", "out"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err,
              HasSubstr("kestrilo-cli: in/big.csv: Cannot write "
                        "\"out/big.xml\": writing failed: No space left on "
                        "device\n"));
  EXPECT_THAT(outcome.err, HasSubstr("1 converted, 1 failed"));
  EXPECT_EQ(ReadFile(dir_ / "out" / "big.xml"), earlier);
  EXPECT_EQ(ReadFile(dir_ / "out" / "small.xml"), Expected("fruit.xml"));
  EXPECT_EQ(FilesIn("out"), (std::vector<std::string>{"big.xml", "small.xml"}));
}

// --- Parallel runs
// ---------------------------------------------------------------

TEST_F(CliTest, OutputDoesNotDependOnTheNumberOfJobs) {
  std::vector<std::string> inputs;
  const char* const kFixtures[] = {"fruit.csv",   "fruit.xlsx", "broken.xlsx",
                                   "special.csv", "empty.xlsx", "formulas.xlsx",
                                   "fruit.ods",   "fruit.xls"};
  for (int copy = 0; copy < 3; ++copy) {
    for (const char* fixture : kFixtures) {
      const std::string name = std::to_string(copy) + "_" + fixture;
      inputs.push_back(Place(fixture, "in/" + name).string());
    }
  }
  // Duplicate output names: the later input must win in every run.
  inputs.push_back(Place("special.csv", "in/dup/0_fruit.csv").string());
  inputs.push_back(Place("fruit.csv", "in/dup2/0_fruit.csv").string());

  // Both runs write to "out", so that their messages can be compared whole.
  const auto run_with_jobs = [&](const char* jobs) {
    std::vector<std::string> args = inputs;
    args.insert(args.end(), {"--jobs", jobs, "-o", "out"});
    return Run(args);
  };
  const Outcome sequential = run_with_jobs("1");
  fs::rename(dir_ / "out", dir_ / "seq");
  const Outcome parallel = run_with_jobs("4");
  fs::rename(dir_ / "out", dir_ / "par");

  EXPECT_EQ(sequential.status, 1);
  EXPECT_EQ(parallel.status, 1);
  EXPECT_EQ(parallel.err, sequential.err);
  EXPECT_THAT(parallel.err, HasSubstr("20 converted, 3 failed, 3 skipped"));
  ASSERT_EQ(FilesIn("seq"), FilesIn("par"));
  for (const std::string& name : FilesIn("seq")) {
    EXPECT_EQ(ReadFile(dir_ / "par" / name), ReadFile(dir_ / "seq" / name))
        << name;
  }
  EXPECT_EQ(ReadFile(dir_ / "par" / "0_fruit.xml"), Expected("fruit.xml"));
}

// --- Usage
// ----------------------------------------------------------------------

class CliUsageTest
    : public CliTest,
      public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliUsageTest, WrongUsageExitsWithTwoAndShowsUsage) {
  std::vector<std::string> args = GetParam();
  const Outcome outcome = Run(args);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_THAT(outcome.err, HasSubstr("usage: kestrilo-cli [options] INPUT..."));
  EXPECT_EQ(outcome.out, "");
  EXPECT_TRUE(FilesIn(".").empty());
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, CliUsageTest,
    ::testing::Values(std::vector<std::string>{},
                      std::vector<std::string>{"--bogus", "x.csv"},
                      std::vector<std::string>{"--headers", "diagonal", "x"},
                      std::vector<std::string>{"--order", "sideways", "x"},
                      std::vector<std::string>{"--jobs", "0", "x"},
                      std::vector<std::string>{"--jobs", "many", "x"},
                      std::vector<std::string>{"--range", "B2:", "x"},
                      std::vector<std::string>{"--range", "not a range", "x"},
                      std::vector<std::string>{"--sheet", "0", "x"},
                      std::vector<std::string>{"--quiet=yes", "x"},
                      std::vector<std::string>{"--ext", "xlsx,,ods", "x"},
                      std::vector<std::string>{"-0", "x"},
                      std::vector<std::string>{"--report", "-", "-o", "-", "x"},
                      std::vector<std::string>{"x.csv", "--title"}));

TEST_F(CliTest, HelpAndVersion) {
  Outcome outcome = Run({"--help"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(outcome.out, HasSubstr("usage: kestrilo-cli [options] INPUT..."));
  EXPECT_THAT(outcome.out, HasSubstr("--no-escape"));
  EXPECT_EQ(outcome.err, "");

  outcome = Run({"--version"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out,
            std::string("kestrilo-cli ") + KESTRILO_VERSION + "\n");
}

TEST_F(CliTest, DoubleDashEndsOptions) {
  Place("fruit.csv", "--odd.csv");
  const Outcome outcome = Run({"-o", "o", "--", "--odd.csv"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(FilesIn("o"), std::vector<std::string>{"--odd.xml"});
}

// --- Progress on a terminal
// ---------------------------------------------------------

TEST_F(CliTest, ProgressBarOnlyOnATerminalAndClearedAtTheEnd) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  const Outcome outcome = RunTool(dir_,
                                  {Fixture("fruit.csv").string(),
                                   Fixture("special.csv").string(), "-o", "o"},
                                  terminal);
  close(terminal);
  std::string shown;
  char buffer[4096];
  pollfd ready{master, POLLIN, 0};
  while (poll(&ready, 1, 200) > 0) {
    const ssize_t count = read(master, buffer, sizeof buffer);
    if (count <= 0) break;
    shown.append(buffer, static_cast<std::size_t>(count));
  }
  close(master);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(shown, HasSubstr("\r["));
  EXPECT_THAT(shown, HasSubstr("2/2"));
  EXPECT_THAT(shown, HasSubstr("fruit.csv"));
  // The summary follows on a cleared line.
  EXPECT_THAT(shown, HasSubstr("\rkestrilo-cli: 2 converted"));

  // Not a terminal: no bar at all.
  const Outcome piped = Run({Fixture("fruit.csv").string(), "-o", "o"});
  EXPECT_THAT(piped.err, Not(HasSubstr("\r")));
}

// --- The shared corpus of real-world workbooks
// --------------------------------

class CliCorpusTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    corpus_ = fs::path(KESTRILO_SHARED_DIR) / "corpus";
    if (!fs::is_directory(corpus_)) {
      GTEST_SKIP() << "no workbook corpus at " << corpus_;
    }
  }
  fs::path corpus_;
};

TEST_F(CliCorpusTest, EveryGoodWorkbookConvertsAlikeWithOneOrThreeJobs) {
  for (const char* format : {"xlsx", "ods", "xls", "csv"}) {
    const std::string folder = (corpus_ / format).string();
    const Outcome sequential =
        Run({"--ext", format, "--jobs", "1", folder, "-o", "out"});
    fs::rename(dir_ / "out", dir_ / "seq");
    const Outcome parallel =
        Run({"--ext", format, "--jobs", "3", folder, "-o", "out"});
    EXPECT_EQ(sequential.status, 0) << format << "\n" << sequential.err;
    EXPECT_THAT(sequential.err, HasSubstr(" 0 failed")) << format;
    EXPECT_EQ(parallel.err, sequential.err) << format;
    ASSERT_EQ(FilesIn("out"), FilesIn("seq")) << format;
    for (const std::string& name : FilesIn("out")) {
      EXPECT_EQ(ReadFile(dir_ / "out" / name), ReadFile(dir_ / "seq" / name))
          << format << " " << name;
    }
    fs::remove_all(dir_ / "out");
    fs::remove_all(dir_ / "seq");
  }
}

TEST_F(CliCorpusTest, EveryBadWorkbookFailsNamingItselfAndWritesNothing) {
  std::vector<std::string> args = {"-o", "out"};
  int count = 0;
  for (const auto& entry : fs::directory_iterator(corpus_ / "bad")) {
    if (entry.path().extension() == ".json") continue;
    args.push_back(entry.path().string());
    ++count;
  }
  const Outcome outcome = Run(args);
  EXPECT_EQ(outcome.status, 1);
  for (std::size_t i = 2; i < args.size(); ++i) {
    EXPECT_THAT(outcome.err, HasSubstr("kestrilo-cli: " + args[i] + ": "));
  }
  EXPECT_THAT(outcome.err, HasSubstr("0 converted, " + std::to_string(count) +
                                     " failed, 0 skipped"));
  EXPECT_TRUE(FilesIn("out").empty());
}

// --- Defined names and tables -----------------------------------------------

// names.xlsx: the active sheet Other has a name Prices of its own, over
// Own/7; the workbook's Prices and Fruits lie on Data (Item, Price: Apple
// 1.5, Pear 2, Plum 3); the table Codes on Other has the header Code,
// Label.
std::string NamesWorkbook() { return Fixture("../names.xlsx").string(); }

TEST_F(CliTest, RangeTakesNamesOfTheWorkbookOfASheetAndTables) {
  Outcome outcome = Run({"--range", "Fruits", NamesWorkbook(), "-o", "-"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "<XML>\r\n\t<Item>Apple</Item>\r\n\t<Price>1.5</Price>\r\n"
            "\t<Item>Pear</Item>\r\n\t<Price>2</Price>\r\n"
            "\t<Item>Plum</Item>\r\n\t<Price>3</Price>\r\n</XML>\r\n");
  // The active sheet's own Prices wins; --sheet looks up from Data.
  outcome = Run({"--range", "prices", NamesWorkbook(), "-o", "-"});
  EXPECT_EQ(outcome.out, "<XML>\r\n\t<Own>7</Own>\r\n</XML>\r\n");
  outcome =
      Run({"--range", "Prices", "--sheet", "Data", NamesWorkbook(), "-o", "-"});
  EXPECT_THAT(outcome.out, HasSubstr("<Price>1.5</Price>"));
  EXPECT_THAT(outcome.out, Not(HasSubstr("Own")));
  outcome = Run({"--range", "Other!Prices", "--sheet", "Data", NamesWorkbook(),
                 "-o", "-"});
  EXPECT_EQ(outcome.out, "<XML>\r\n\t<Own>7</Own>\r\n</XML>\r\n");
  // A table stands for its block with the header row.
  outcome = Run({"--range", "Codes", NamesWorkbook(), "-o", "-"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_THAT(outcome.out, HasSubstr("\t<Code>c2</Code>\r\n"
                                     "\t<Label>second</Label>\r\n"));
}

TEST_F(CliTest, AWorkbookWithoutTheNameFailsAndTheOthersConvert) {
  Place("../names.xlsx", "a.xlsx");
  Place("fruit.xlsx", "b.xlsx");
  Place("../names.xlsx", "c.xlsx");
  Outcome outcome = Run(
      {"--range", "Fruits", "a.xlsx", "b.xlsx", "c.xlsx", "-o", "out", "-q"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            "kestrilo-cli: b.xlsx: no defined name or table 'Fruits'\n");
  EXPECT_EQ(FilesIn("out"), (std::vector<std::string>{"a.xml", "c.xml"}));
  outcome = Run({"--range", "Rate", "a.xlsx", "-o", "out", "-q"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            "kestrilo-cli: a.xlsx: the name 'Rate' cannot be converted: "
            "refers to a constant\n");
  outcome = Run({"--range", "Fruits", "--sheet", "Gone", "a.xlsx", "-o", "-"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("a.xlsx: no sheet named 'Gone'"));
}

TEST_F(CliTest, ListShowsSheetsNamesAndTablesAndWritesNothing) {
  Place("../names.xlsx", "names.xlsx");
  Place("fruit.xls", "fruit.xls");
  const Outcome outcome =
      Run({"--list", "names.xlsx", "fruit.xls", "missing.ods"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(
      outcome.out,
      "names.xlsx: sheet \"Data\" used $A$1:$B$4\n"
      "names.xlsx: sheet \"Other\" active used $B$1:$E$6\n"
      "names.xlsx: name \"Corners\" not usable: refers to several areas\n"
      "names.xlsx: name \"Fruits\" $A$1:$B$4 on \"Data\"\n"
      "names.xlsx: name \"Gone\" not usable: refers to a deleted reference\n"
      "names.xlsx: name \"Prices\" $B$1:$B$4 on \"Data\"\n"
      "names.xlsx: name \"Prices\" of sheet \"Other\" $B$1:$B$2 on \"Other\"\n"
      "names.xlsx: name \"_xlnm.Print_Area\" of sheet \"Data\" not usable: "
      "built-in print name\n"
      "names.xlsx: name \"Rate\" not usable: refers to a constant\n"
      "names.xlsx: name \"Total\" not usable: refers to a formula\n"
      "names.xlsx: table \"Codes\" $D$4:$E$6 on \"Other\" (1 header row)\n"
      "fruit.xls: sheet \"Notes\" used $A$1\n"
      "fruit.xls: sheet \"Prices\" active used $B$2:$D$4\n"
      "fruit.xls: sheet \"Sheet 2\" used $A$1:$C$3\n");
  EXPECT_THAT(outcome.err, HasSubstr("kestrilo-cli: missing.ods: "));
  EXPECT_EQ(FilesIn("."),
            (std::vector<std::string>{"fruit.xls", "names.xlsx"}));
}

}  // namespace
}  // namespace kestrilo::cli
