// SPDX-License-Identifier: MIT
// The command-line tool's own parts: option parsing, the job plan and the
// parallel runner.

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli/command_line.h"
#include "cli/job_plan.h"
#include "cli/job_runner.h"
#include "cli/printable_text.h"
#include "cli/usage_error.h"
#include "engine/conversion/block_resolver.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace kestrilo::cli {
namespace {

using ::testing::ElementsAre;

TEST(ParseCommandLineTest, DefaultsAreTheWindowsDefaults) {
  const CommandLine line = ParseCommandLine({"a.xlsx"});
  EXPECT_THAT(line.inputs, ElementsAre("a.xlsx"));
  // A folder adds every format the tool reads, not the window's "xl*".
  EXPECT_THAT(line.extensions,
              ElementsAre("xlsx", "xlsm", "xltx", "xltm", "xls", "ods", "ots",
                          "csv", "tsv", "txt"));
  EXPECT_EQ(line.files_from, "");
  EXPECT_FALSE(line.null_separated);
  EXPECT_FALSE(line.keep_tree);
  EXPECT_EQ(line.report, "");
  EXPECT_EQ(line.range, "");
  EXPECT_FALSE(line.sheet_number.has_value());
  EXPECT_EQ(line.sheet_name, "");
  EXPECT_TRUE(line.options.header_row);
  EXPECT_FALSE(line.options.header_column);
  EXPECT_TRUE(line.options.row_first);
  EXPECT_TRUE(line.options.title_tag);
  EXPECT_TRUE(line.options.escape_text);
  EXPECT_TRUE(line.options.valid_names);
  EXPECT_FALSE(line.options.as_displayed);
  EXPECT_EQ(line.options.title, "XML");
  EXPECT_EQ(line.output, ".");
  EXPECT_EQ(line.jobs, 0);
  EXPECT_FALSE(line.quiet);
}

TEST(ParseCommandLineTest, ValuesAttachedSeparateOrAfterEquals) {
  const CommandLine line = ParseCommandLine(
      {"--title=My Data", "-oout", "a", "--jobs", "3", "--ext=xlsx", "b",
       "--range", "'Sheet 2'!$A$1:$C$3", "--sheet", "Prices"});
  EXPECT_THAT(line.inputs, ElementsAre("a", "b"));
  EXPECT_EQ(line.options.title, "My Data");
  EXPECT_EQ(line.output, "out");
  EXPECT_EQ(line.jobs, 3);
  EXPECT_THAT(line.extensions, ElementsAre("xlsx"));
  EXPECT_EQ(line.range, "'Sheet 2'!$A$1:$C$3");
  EXPECT_EQ(line.sheet_name, "Prices");
}

TEST(ParseCommandLineTest, RangeTakesDefinedNamesAndListWaivesOutputChecks) {
  for (const char* name :
       {"Prices", "_total.2024", "Other!Prices", "'My ''Sheet'''!Prices",
        "\xC3\x9C"
        "ber",
        "Tax"}) {
    EXPECT_TRUE(MayNameABlock(name)) << name;
    EXPECT_EQ(ParseCommandLine({"--range", name, "x"}).range, name);
  }
  for (const char* text : {"B2", "$A:$C", "'Sheet 2'!B2", "B2:", "Other!",
                           "!Prices", "2x", "not a range", "a-b"}) {
    EXPECT_FALSE(MayNameABlock(text)) << text;
  }
  const CommandLine line =
      ParseCommandLine({"--list", "--report", "-", "-o", "-", "a", "b"});
  EXPECT_TRUE(line.list);
  EXPECT_THAT(line.inputs, ElementsAre("a", "b"));
}

TEST(ParseCommandLineTest, BatchOptions) {
  const CommandLine line =
      ParseCommandLine({"--ext", "xlsx,ods,csv", "--files-from", "-", "-0",
                        "--keep-tree", "--report=run.jsonl", "-o", "out"});
  EXPECT_TRUE(line.inputs.empty());  // the list is enough
  EXPECT_THAT(line.extensions, ElementsAre("xlsx", "ods", "csv"));
  EXPECT_EQ(line.files_from, "-");
  EXPECT_TRUE(line.null_separated);
  EXPECT_TRUE(line.keep_tree);
  EXPECT_EQ(line.report, "run.jsonl");
  EXPECT_TRUE(
      ParseCommandLine({"--null", "--files-from", "l", "a"}).null_separated);
}

TEST(ParseCommandLineTest, HeaderModesAndOrder) {
  const std::map<std::string, std::pair<bool, bool>> modes = {
      {"row", {true, false}},
      {"column", {false, true}},
      {"both", {true, true}},
      {"none", {false, false}}};
  for (const auto& [mode, flags] : modes) {
    const CommandLine line = ParseCommandLine({"--headers", mode, "x"});
    EXPECT_EQ(line.options.header_row, flags.first) << mode;
    EXPECT_EQ(line.options.header_column, flags.second) << mode;
  }
  EXPECT_FALSE(ParseCommandLine({"--order", "column", "x"}).options.row_first);
  EXPECT_TRUE(ParseCommandLine({"--order", "row", "x"}).options.row_first);
}

TEST(ParseCommandLineTest, SheetNumberOrName) {
  CommandLine line = ParseCommandLine({"--sheet", "12", "x"});
  EXPECT_EQ(line.sheet_number, 12);
  EXPECT_EQ(line.sheet_name, "");
  line = ParseCommandLine({"--sheet", "2", "--sheet", "Q3 2021", "x"});
  EXPECT_FALSE(line.sheet_number.has_value());
  EXPECT_EQ(line.sheet_name, "Q3 2021");
}

TEST(ParseCommandLineTest, FlagsAndStandardOutput) {
  const CommandLine line =
      ParseCommandLine({"--no-title-tag", "--no-escape", "--raw-names",
                        "--as-displayed", "--quiet", "-o", "-", "x"});
  EXPECT_FALSE(line.options.title_tag);
  EXPECT_FALSE(line.options.escape_text);
  EXPECT_FALSE(line.options.valid_names);
  EXPECT_TRUE(line.options.as_displayed);
  EXPECT_TRUE(line.quiet);
  EXPECT_TRUE(line.to_stdout());
}

TEST(ParseCommandLineTest, DoubleDashAndLoneDashAreInputs) {
  const CommandLine line = ParseCommandLine({"-", "--", "--quiet", "-o"});
  EXPECT_THAT(line.inputs, ElementsAre("-", "--quiet", "-o"));
  EXPECT_FALSE(line.quiet);
}

TEST(ParseCommandLineTest, HelpAndVersionNeedNoInput) {
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"-h"}).help);
  EXPECT_TRUE(ParseCommandLine({"--version"}).version);
}

TEST(ParseCommandLineTest, WrongUsageNamesTheArgument) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no input"},
      {{"--frobnicate", "x"}, "--frobnicate"},
      {{"x", "--jobs"}, "--jobs needs a value"},
      {{"--jobs", "-2", "x"}, "'-2'"},
      {{"--jobs", "2x", "x"}, "'2x'"},
      {{"--headers", "rows", "x"}, "'rows'"},
      {{"--order", "diagonal", "x"}, "'diagonal'"},
      {{"--sheet", "0", "x"}, "'0'"},
      {{"--sheet", "", "x"}, "--sheet"},
      {{"--range", "B2:", "x"}, "B2:"},
      {{"--ext", "", "x"}, "--ext"},
      {{"-o", "", "x"}, "-o"},
      {{"--quiet=1", "x"}, "--quiet takes no value"}};
  for (const auto& [args, expected] : cases) {
    try {
      ParseCommandLine(args);
      ADD_FAILURE() << "accepted: " << ::testing::PrintToString(args);
    } catch (const UsageError& error) {
      EXPECT_THAT(error.what(), ::testing::HasSubstr(expected));
    }
  }
}

TEST(PrintableTextTest, ControlCharactersAreEscapedAndTheRestKept) {
  const std::pair<std::string, std::string> cases[] = {
      {"Book1.xlsx\r", "Book1.xlsx\\r"},
      {"two\nlines\tand\x1B[2J\x7F", "two\\nlines\\tand\\x1B[2J\\x7F"},
      {"caf\xC3\xA9 \xC2\x9B"
       "1m \xC2\xA0",
       "caf\xC3\xA9 \\u009B1m \xC2\xA0"},
      {"caf\xE9\xC2", "caf\xE9\xC2"},  // not UTF-8: kept as it is
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(PrintableText(text), shown);
}

TEST(PlanJobsTest, OutputPathsAndLaterDuplicatesReplaceEarlierOnes) {
  const std::vector<Job> jobs =
      PlanJobs({"/a/Book1.xlsx", "/b/sales.2021.q1.xls", "/c/Book1.xlsm",
                "/d/book1.ods", "/e/Book1.csv"},
               "out");
  ASSERT_EQ(jobs.size(), 5u);
  EXPECT_EQ(jobs[0].output_path, "out/Book1.xml");
  EXPECT_EQ(jobs[1].output_path, "out/sales.2021.q1.xml");
  EXPECT_EQ(jobs[2].output_path, "out/Book1.xml");
  EXPECT_EQ(jobs[3].output_path, "out/book1.xml");  // names keep their case
  EXPECT_EQ(jobs[0].replaces, "");
  EXPECT_EQ(jobs[2].replaces, "/a/Book1.xlsx");
  EXPECT_EQ(jobs[4].replaces, "/c/Book1.xlsm");  // the nearest earlier one
  EXPECT_EQ(jobs[3].replaces, "");
  EXPECT_EQ(jobs[2].group, 0);
  EXPECT_EQ(jobs[4].group, 0);
  EXPECT_EQ(jobs[3].group, 3);
  EXPECT_THAT(GroupsOf(jobs), ElementsAre(ElementsAre(0, 2, 4), ElementsAre(1),
                                          ElementsAre(3)));
}

TEST(PlanJobsTest, StandardOutputHasNoPathsAndNoDuplicates) {
  const std::vector<Job> jobs = PlanJobs({"a.xlsx", "a.xlsx"}, "");
  EXPECT_EQ(jobs[0].output_path, "");
  EXPECT_EQ(jobs[1].replaces, "");
  EXPECT_EQ(jobs[1].group, 1);
}

TEST(JobRunnerTest, ReportsInJobOrderAndRunsGroupsInSequence) {
  // 40 jobs in groups of up to three, each taking a random short time; the
  // jobs of a group must never overlap and must run in the listed order.
  constexpr int kJobs = 40;
  std::vector<std::vector<int>> groups;
  for (int first = 0; first < kJobs; first += 3) {
    std::vector<int> group;
    for (int job = first; job < std::min(first + 3, kJobs); ++job) {
      group.push_back(job);
    }
    groups.push_back(group);
  }
  for (int threads : {1, 3, 8}) {
    std::mutex mutex;
    std::vector<int> started_order;
    std::vector<int> reported;
    std::atomic<int> running_in_group[kJobs / 3 + 1] = {};
    std::atomic<bool> overlap = false;
    JobRunner(threads).Run(
        groups, kJobs,
        [&](int job) {
          if (running_in_group[job / 3].fetch_add(1) != 0) overlap = true;
          std::this_thread::sleep_for(
              std::chrono::microseconds((job * 7919) % 2000));
          running_in_group[job / 3].fetch_sub(1);
          JobResult result;
          result.status = job % 5 == 0 ? JobResult::Status::kFailed
                                       : JobResult::Status::kConverted;
          result.messages.push_back("job " + std::to_string(job));
          if (job == 13) throw std::runtime_error("thrown");
          return result;
        },
        [&](int job) {
          std::lock_guard lock(mutex);
          started_order.push_back(job);
        },
        [&](int job, JobResult& result) {
          reported.push_back(job);
          if (job == 13) {
            EXPECT_EQ(result.status, JobResult::Status::kFailed);
            EXPECT_THAT(result.messages, ElementsAre("kestrilo-cli: thrown"));
          } else {
            EXPECT_THAT(result.messages,
                        ElementsAre("job " + std::to_string(job)));
          }
        });
    std::vector<int> expected(kJobs);
    for (int i = 0; i < kJobs; ++i) expected[i] = i;
    EXPECT_EQ(reported, expected) << threads << " threads";
    EXPECT_FALSE(overlap) << threads << " threads";
    // Within a group, the start order is the listed order.
    for (int a = 0; a < kJobs; ++a) {
      for (int b = a + 1; b < kJobs && b / 3 == a / 3; ++b) {
        const auto pos = [&](int job) {
          return std::find(started_order.begin(), started_order.end(), job) -
                 started_order.begin();
        };
        EXPECT_LT(pos(a), pos(b));
      }
    }
  }
}

TEST(JobRunnerTest, JobsNotBegunWhenStoppedAreReportedNotStarted) {
  std::atomic<bool> stop = false;
  std::vector<JobResult::Status> statuses;
  JobRunner runner(1);
  runner.StopWhen(&stop);
  runner.Run(
      {{0}, {1}, {2, 3}, {4}}, 5,
      [&](int job) {
        if (job == 2) stop = true;  // job 2 itself still finishes
        JobResult result;
        result.status = JobResult::Status::kConverted;
        return result;
      },
      nullptr,
      [&](int, JobResult& result) { statuses.push_back(result.status); });
  using Status = JobResult::Status;
  EXPECT_THAT(statuses, ElementsAre(Status::kConverted, Status::kConverted,
                                    Status::kConverted, Status::kNotStarted,
                                    Status::kNotStarted));
}

TEST(JobRunnerTest, NoJobsReturnsAtOnce) {
  bool called = false;
  JobRunner(4).Run(
      {}, 0,
      [&](int) {
        called = true;
        return JobResult();
      },
      nullptr, nullptr);
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace kestrilo::cli
