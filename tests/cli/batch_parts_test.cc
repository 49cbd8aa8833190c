// SPDX-License-Identifier: MIT
// The parts behind kestrilo-cli's batch options: the input list reader, the
// mirrored tree folders of the inputs, their job plan and the report line.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/input_list.h"
#include "cli/job_plan.h"
#include "cli/job_result.h"
#include "cli/report_writer.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "nlohmann/json.hpp"

namespace kestrilo::cli {
namespace {

namespace fs = std::filesystem;

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class BatchPartsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kestrilo_batch_parts_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& relative, const std::string& content) {
    const fs::path path = dir_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  fs::path dir_;
};

TEST_F(BatchPartsTest, InputListKeepsEveryByteButTheSeparators) {
  const std::string lines = Write("lines", "a b.xlsx\n\nc.ods\r\n\xff.csv");
  // A CR is part of a name: a list made on Windows then names files that
  // do not exist, which their failures say, rather than other files.
  EXPECT_THAT(ReadInputList(lines, false),
              ElementsAre("a b.xlsx", "c.ods\r", "\xff.csv"));
  const std::string nul = Write("nul", std::string("x\ny.xlsx\0\0z.xls\0", 16));
  EXPECT_THAT(ReadInputList(nul, true), ElementsAre("x\ny.xlsx", "z.xls"));
  EXPECT_TRUE(ReadInputList(Write("empty", ""), false).empty());
  try {
    ReadInputList((dir_ / "missing").string(), false);
    ADD_FAILURE() << "a missing list was read";
  } catch (const std::runtime_error& error) {
    EXPECT_THAT(error.what(), HasSubstr("missing: cannot read the input list"));
  }
}

TEST_F(BatchPartsTest, TreeFoldersAreRelativeToTheFolderInput) {
  Write("in/top.csv", "a\n");
  Write("in/2021/q1.xlsx", "");
  Write("in/2021/q1.ods", "");
  Write("in/2022/deep/q1.xls", "");
  Write("in/notes.md", "");
  const std::string root = (dir_ / "in").string();
  for (const std::string& input : {root, root + "/", root + "//"}) {
    const std::vector<FoundWorkbook> found =
        ExpandInputs({input}, {"xlsx", "ods", "csv", "xls"}, {});
    std::vector<std::string> folders;
    for (const FoundWorkbook& workbook : found) {
      folders.push_back(workbook.tree_folder);
    }
    // The folder's own files first, each folder's names in natural order
    // whichever pattern they match.
    EXPECT_THAT(folders, ElementsAre("", "2021", "2021", "2022/deep")) << input;
    ASSERT_EQ(found.size(), 4u);
    EXPECT_THAT(found[1].path, HasSubstr("q1.ods"));
  }
  // A name matching two patterns is added once.
  EXPECT_EQ(ExpandInputs({root}, {"csv", "c*"}, {}).size(), 1u);
}

TEST_F(BatchPartsTest, OnlyListedRelativeNamesWithinTheFolderLeadATree) {
  const std::vector<std::string> inputs = {"cli/a/b.xlsx",  "./c/d.xlsx",
                                           "e/../f/g.xlsx", "../h/i.xlsx",
                                           "/abs/j.xlsx",   "k.xlsx"};
  // From the command line (first_listed past the end), files are flat.
  for (const FoundWorkbook& workbook : ExpandInputs(inputs, {"xlsx"}, {})) {
    EXPECT_EQ(workbook.tree_folder, "") << workbook.path;
  }
  const std::vector<FoundWorkbook> listed =
      ExpandInputs(inputs, {"xlsx"}, {}, 1);
  std::vector<std::string> folders;
  for (const FoundWorkbook& workbook : listed) {
    folders.push_back(workbook.tree_folder);
  }
  EXPECT_THAT(folders, ElementsAre("", "c", "f", "", "", ""));
}

TEST(BatchPlanTest, SubfoldersKeepSameNamedWorkbooksApart) {
  const std::vector<Job> jobs =
      PlanJobs({"r/2021/q1.xlsx", "r/2022/q1.xlsx", "q1.csv", "s/q1.ods"},
               "out", {"2021", "2022", "", "2021"});
  EXPECT_EQ(jobs[0].output_path, "out/2021/q1.xml");
  EXPECT_EQ(jobs[1].output_path, "out/2022/q1.xml");
  EXPECT_EQ(jobs[2].output_path, "out/q1.xml");
  EXPECT_EQ(jobs[1].replaces, "");
  // Two workbooks mirrored to one folder still clash, and say so.
  EXPECT_EQ(jobs[3].replaces, "r/2021/q1.xlsx");
  EXPECT_EQ(jobs[3].group, 0);
}

TEST(ReportLineTest, NamesThatAreNotUtf8StillGiveJson) {
  Job job;
  job.input = "caf\xe9.xlsx";
  job.output_path = "out/caf\xe9.xml";
  JobResult result;
  result.status = JobResult::Status::kConverted;
  result.warnings = {"one", "two"};
  result.block = "$A$1:$B$2";
  const nlohmann::json line = nlohmann::json::parse(ReportLine(job, result));
  EXPECT_EQ(line["input"], "caf\xef\xbf\xbd.xlsx");
  EXPECT_EQ(line["output"], "out/caf\xef\xbf\xbd.xml");
  EXPECT_THAT(line["warnings"], ElementsAre("one", "two"));
  EXPECT_EQ(ReportLine(job, result).find('\n'), std::string::npos);

  result.status = JobResult::Status::kNotStarted;
  const nlohmann::json not_started =
      nlohmann::json::parse(ReportLine(job, result));
  EXPECT_EQ(not_started["status"], "skipped");
  EXPECT_TRUE(not_started["output"].is_null());
  EXPECT_THAT(not_started["reason"].get<std::string>(),
              HasSubstr("interrupted"));
}

}  // namespace
}  // namespace kestrilo::cli
