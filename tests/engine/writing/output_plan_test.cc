// SPDX-License-Identifier: MIT

#include "engine/writing/output_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kestrilo {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST(OutputPlanTest, PathsAreNormalAndLaterDuplicatesReplaceEarlierOnes) {
  const OutputPlan plan({"/a/Book1.xlsx", "/b/sales.2021.q1.xls",
                         "/c/Book1.xlsm", "/d/book1.ods", "/e/Book1.csv"},
                        "out//");
  ASSERT_EQ(plan.size(), 5);
  EXPECT_EQ(plan[0].output_path, "out/Book1.xml");
  EXPECT_EQ(plan[1].output_path, "out/sales.2021.q1.xml");
  EXPECT_EQ(plan[3].output_path, "out/book1.xml");  // names keep their case
  EXPECT_EQ(plan[0].replaces, -1);
  EXPECT_EQ(plan[2].replaces, 0);
  EXPECT_EQ(plan[4].replaces, 2);  // the nearest earlier one
  EXPECT_EQ(plan[4].group, 0);
  EXPECT_EQ(plan[3].group, 3);
  EXPECT_EQ(plan[0].overwrites_input, -1);  // nothing there yet
  EXPECT_EQ(plan.OverwriteProblem(0), "");
}

TEST(OutputPlanTest, StandardOutputHasNoPathsToClash) {
  const OutputPlan plan({"a.xlsx", "a.xlsx"}, "");
  EXPECT_EQ(plan[1].output_path, "");
  EXPECT_EQ(plan[1].replaces, -1);
  EXPECT_EQ(plan[1].overwrites_input, -1);
}

TEST(OutputPlanTest, DisplayPathsHaveNoDoubledOrTrailingSeparators) {
  EXPECT_EQ(DisplayPath("out//Book1.xml"), "out/Book1.xml");
  EXPECT_EQ(DisplayPath("/srv/./xml/"), "/srv/xml");
  EXPECT_EQ(DisplayPath("/"), "/");
  EXPECT_EQ(OutputPathFor("/srv/xml/", "/in/a.b.xls"), "/srv/xml/a.b.xml");
}

class OutputPlanFilesTest : public ::testing::Test {
 protected:
  OutputPlanFilesTest() {
    std::string pattern =
        (fs::temp_directory_path() / "kestrilo-plan-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~OutputPlanFilesTest() override { fs::remove_all(folder_); }
  std::string Make(const std::string& relative) {
    const fs::path path = folder_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "workbook";
    return path.string();
  }
  fs::path folder_;
};

TEST_F(OutputPlanFilesTest, AWorkbookIsNeverItsOwnOutput) {
  // A workbook named report.xml in the output folder, spelt another way.
  const std::string report = Make("out/report.xml");
  const OutputPlan plan({(folder_ / "out/../out/report.xml").string()},
                        (folder_ / "out").string());
  EXPECT_EQ(plan[0].overwrites_input, 0);
  EXPECT_THAT(plan.OverwriteProblem(0), HasSubstr(report));
  EXPECT_THAT(plan.OverwriteProblem(0), HasSubstr("the workbook itself"));
}

TEST_F(OutputPlanFilesTest, NoWorkbookOverwritesAnotherOfTheRun) {
  const std::string csv = Make("in/Book1.csv");
  const std::string xml = Make("out/Book1.xml");
  // A second name for the same file is the same input.
  fs::create_hard_link(xml, folder_ / "in/link.xml");
  const OutputPlan plan({csv, (folder_ / "in/link.xml").string()},
                        (folder_ / "out").string());
  EXPECT_EQ(plan[0].overwrites_input, 1);
  EXPECT_THAT(plan.OverwriteProblem(0), HasSubstr(xml));
  EXPECT_THAT(plan.OverwriteProblem(0), HasSubstr("in/link.xml of this run"));
  // The link's own output is out/link.xml, which is no workbook.
  EXPECT_EQ(plan[1].overwrites_input, -1);
}

}  // namespace
}  // namespace kestrilo
