// SPDX-License-Identifier: MIT
// End-to-end tests of kestrilo-cli in batch pipelines: input lists, mirrored
// output trees, the JSON Lines report and a sharded run.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "nlohmann/json.hpp"

namespace kestrilo::cli {
namespace {

namespace fs = std::filesystem;
using test_support::Fixture;
using test_support::Outcome;
using test_support::ReadFile;
using test_support::Start;
using test_support::Wait;
using test_support::WriteFile;

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class CliBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("kestrilo_batch_" + std::string(info->name()) + "_" +
            std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Runs the tool in the test folder; `input` becomes its standard input.
  Outcome Run(const std::vector<std::string>& args,
              const std::string& input = "") {
    WriteFile(dir_ / ".stdin", input);
    Outcome outcome;
    outcome.status = Wait(Start(KESTRILO_CLI, args, dir_, dir_ / ".stdin",
                                dir_ / ".stdout", dir_ / ".stderr"));
    outcome.out = ReadFile(dir_ / ".stdout");
    outcome.err = ReadFile(dir_ / ".stderr");
    for (const char* name : {".stdin", ".stdout", ".stderr"}) {
      fs::remove(dir_ / name);
    }
    return outcome;
  }

  fs::path Place(const std::string& fixture, const fs::path& relative) {
    const fs::path target = dir_ / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(Fixture(fixture), target,
                  fs::copy_options::overwrite_existing);
    return target;
  }

  // Every file below a folder of the test folder, relative to it.
  std::set<std::string> TreeOf(const fs::path& relative) const {
    std::set<std::string> files;
    const fs::path root = dir_ / relative;
    if (!fs::exists(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.is_regular_file()) {
        files.insert(entry.path().lexically_relative(root).string());
      }
    }
    return files;
  }

  fs::path dir_;
};

std::vector<nlohmann::json> ParseLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(nlohmann::json::parse(line));
  }
  return lines;
}

// --- Input lists

const std::string kLatin1Name = "caf\xe9.csv";  // not UTF-8
const std::string kNewlineName = "two\nlines.csv";

class CliFilesFromTest : public CliBatchTest {
 protected:
  void SetUp() override {
    CliBatchTest::SetUp();
    Place("fruit.csv", "a.csv");
    Place("fruit.xlsx", "sub/with space.xlsx");
    Place("fruit.csv", kLatin1Name);
    Place("fruit.xls", kNewlineName);
  }

  void ExpectAllConverted(const Outcome& outcome, int count) {
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_THAT(outcome.err, HasSubstr(std::to_string(count) +
                                       " converted, 0 failed, 0 skipped"));
    const std::string expected = ReadFile(Fixture("expected") / "fruit.xml");
    for (const std::string& name : TreeOf("out")) {
      EXPECT_EQ(ReadFile(dir_ / "out" / name), expected) << name;
    }
  }
};

TEST_F(CliFilesFromTest, LinesFromAFileAfterTheCommandLine) {
  WriteFile(dir_ / "list.txt",
            "sub/with space.xlsx\n\n" + kLatin1Name + "\n" +
                (dir_ / "a.csv").string());  // no end on the last line
  const Outcome outcome = Run({"--files-from", "list.txt", "-o", "out",
                               "--report", "run.jsonl", kNewlineName});
  ExpectAllConverted(outcome, 4);
  EXPECT_EQ(TreeOf("out"),
            (std::set<std::string>{"a.xml", "caf\xe9.xml", "two\nlines.xml",
                                   "with space.xml"}));
  // Command line first, then the list in its order; the Latin-1 byte is
  // U+FFFD in the report, which still parses.
  const std::vector<nlohmann::json> lines =
      ParseLines(ReadFile(dir_ / "run.jsonl"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0]["input"], kNewlineName);
  EXPECT_EQ(lines[1]["input"], "sub/with space.xlsx");
  EXPECT_EQ(lines[2]["input"], "caf\xef\xbf\xbd.csv");
  EXPECT_EQ(lines[3]["input"], (dir_ / "a.csv").string());
}

TEST_F(CliFilesFromTest, NulSeparatedFromStandardInput) {
  const std::string list = std::string("a.csv") + '\0' + kNewlineName + '\0' +
                           kLatin1Name + '\0' + "sub/with space.xlsx" + '\0';
  const Outcome outcome = Run({"--files-from", "-", "-0", "-o", "out"}, list);
  ExpectAllConverted(outcome, 4);
  EXPECT_EQ(TreeOf("out").size(), 4u);
}

TEST_F(CliFilesFromTest, LinesFromStandardInput) {
  const Outcome outcome =
      Run({"--files-from=-", "-o", "out"}, "a.csv\n" + kLatin1Name + "\n");
  ExpectAllConverted(outcome, 2);
  EXPECT_EQ(TreeOf("out"), (std::set<std::string>{"a.xml", "caf\xe9.xml"}));
}

TEST_F(CliFilesFromTest, ListedFoldersAreScannedAndMissingNamesFail) {
  const Outcome outcome =
      Run({"--files-from", "-", "-o", "out"}, "sub\nmissing.xlsx\n");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("kestrilo-cli: missing.xlsx: "));
  EXPECT_EQ(TreeOf("out"), std::set<std::string>{"with space.xml"});
}

// A list with Windows line ends names "a.csv\r", which does not exist: the
// message shows the CR rather than letting it hide at the end of the line.
TEST_F(CliFilesFromTest, NamesWithControlCharactersAreShownEscaped) {
  const Outcome outcome =
      Run({"--files-from", "-", "-o", "out", "--report", "-"}, "a.csv\r\n");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("kestrilo-cli: a.csv\\r: cannot open"));
  EXPECT_THAT(outcome.err, Not(HasSubstr("\r")));
  EXPECT_EQ(ParseLines(outcome.out).at(0)["input"], "a.csv\r");
}

TEST_F(CliFilesFromTest, UnreadableListFailsNamingItAndWritesNothing) {
  Outcome outcome = Run({"--files-from", "nowhere.txt", "-o", "out"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err,
              HasSubstr("nowhere.txt: cannot read the input list"));
  EXPECT_FALSE(fs::exists(dir_ / "out"));

  outcome = Run({"--files-from", "sub", "-o", "out"});  // a folder
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("sub: cannot read the input list"));

  outcome = Run({"--files-from", "-", "-o", "out"}, "");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_THAT(outcome.err, HasSubstr("the input list is empty"));
}

// --- Mirrored output trees

TEST_F(CliBatchTest, KeepTreeKeepsSameNamedWorkbooksApart) {
  Place("fruit.xlsx", "reports/2021/q1.xlsx");
  Place("formulas.xlsx", "reports/2022/q1.xlsx");
  Place("fruit.csv", "reports/top.csv");
  Place("fruit.csv", "loose/q1.csv");
  const Outcome outcome =
      Run({"--keep-tree", "reports", "loose/q1.csv", "-o", "out"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_THAT(outcome.err, Not(HasSubstr("replaces")));
  // A file argument still writes into the output folder itself.
  EXPECT_EQ(TreeOf("out"), (std::set<std::string>{"2021/q1.xml", "2022/q1.xml",
                                                  "top.xml", "q1.xml"}));
  EXPECT_EQ(ReadFile(dir_ / "out/2021/q1.xml"),
            ReadFile(Fixture("expected") / "fruit.xml"));
  EXPECT_NE(ReadFile(dir_ / "out/2022/q1.xml"),
            ReadFile(dir_ / "out/2021/q1.xml"));

  // Without it, the later one replaces the earlier, with a warning.
  const Outcome flat = Run({"reports", "-o", "flat"});
  EXPECT_THAT(flat.err, HasSubstr("replaces it"));
  EXPECT_EQ(TreeOf("flat"), (std::set<std::string>{"q1.xml", "top.xml"}));
}

TEST_F(CliBatchTest, KeepTreeKeepsTheFoldersOfRelativeListedNames) {
  Place("fruit.csv", "data/x/q1.csv");
  Place("fruit.csv", "data/y/q1.csv");
  Place("fruit.csv", "data/z/q2.csv");
  Place("fruit.csv", "data/w/q3.csv");
  const std::string up = "../" + dir_.filename().string() + "/data/w/q3.csv";
  WriteFile(dir_ / "list", "./data/x/q1.csv\ndata//y/q1.csv\n" +
                               (dir_ / "data/z/q2.csv").string() + "\n" + up);
  const Outcome outcome =
      Run({"--keep-tree", "--files-from", "list", "-o", "out"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  // Names that are absolute or lead out of the current folder cannot be
  // mirrored inside the output folder: they write into it directly.
  EXPECT_EQ(TreeOf("out"),
            (std::set<std::string>{"data/x/q1.xml", "data/y/q1.xml", "q2.xml",
                                   "q3.xml"}));
}

// --- The report

TEST_F(CliBatchTest, ReportHasALinePerWorkbookInInputOrder) {
  Place("fruit.xlsx", "in/fruit.xlsx");
  Place("empty.xlsx", "in/empty.xlsx");
  Place("broken.xlsx", "in/broken.xlsx");
  Place("formulas.xlsx", "in/formulas.xlsx");
  const Outcome outcome =
      Run({"--report", "-", "--jobs", "3", "-o", "out", "in/fruit.xlsx",
           "in/empty.xlsx", "in/broken.xlsx", "in/formulas.xlsx"});
  EXPECT_EQ(outcome.status, 1);
  const std::vector<nlohmann::json> lines = ParseLines(outcome.out);
  ASSERT_EQ(lines.size(), 4u) << outcome.out;

  const nlohmann::json& converted = lines[0];
  EXPECT_EQ(converted["input"], "in/fruit.xlsx");
  EXPECT_EQ(converted["output"], "out/fruit.xml");
  EXPECT_EQ(converted["status"], "converted");
  EXPECT_TRUE(converted["reason"].is_null());
  EXPECT_THAT(converted["warnings"], IsEmpty());
  EXPECT_EQ(converted["sheet"], "Prices");
  EXPECT_EQ(converted["block"], "$B$2:$D$4");
  EXPECT_EQ(converted["rows"], 3);
  EXPECT_EQ(converted["columns"], 3);
  EXPECT_EQ(converted["bytes"], fs::file_size(dir_ / "out/fruit.xml"));
  EXPECT_GE(converted["seconds"].get<double>(), 0.0);

  const nlohmann::json& skipped = lines[1];
  EXPECT_EQ(skipped["status"], "skipped");
  EXPECT_TRUE(skipped["output"].is_null());
  EXPECT_THAT(skipped["reason"].get<std::string>(),
              HasSubstr("block is empty"));
  EXPECT_TRUE(skipped["block"].is_null());

  const nlohmann::json& failed = lines[2];
  EXPECT_EQ(failed["input"], "in/broken.xlsx");
  EXPECT_EQ(failed["status"], "failed");
  EXPECT_TRUE(failed["output"].is_null());
  EXPECT_THAT(outcome.err, HasSubstr("in/broken.xlsx: " +
                                     failed["reason"].get<std::string>()));
  EXPECT_EQ(failed["bytes"], 0);

  const nlohmann::json& warned = lines[3];
  EXPECT_EQ(warned["status"], "converted");
  EXPECT_THAT(warned["warnings"],
              ElementsAre("2 formulas have no cached value and read as empty"));
}

// A report over a file of the run is wrong usage, refused before anything
// is written, naming both paths: an input, the input list, an output of the
// run (to be made, or there from an earlier run), spelled in any way.
TEST_F(CliBatchTest, ReportNeverReplacesAFileOfTheRunAndAccountsForEach) {
  const fs::path book = Place("fruit.csv", "book.csv");
  const std::string before = ReadFile(book);
  WriteFile(dir_ / "list.txt", "book.csv\n");
  fs::create_directories(dir_ / "old");
  WriteFile(dir_ / "old" / "book.xml", "an earlier output");
  fs::create_directory_symlink("old", dir_ / "link");
  struct Case {
    std::vector<std::string> args;
    const char* named;
  };
  const Case cases[] = {
      {{"--report", "book.csv", "-o", "out", "book.csv"}, "workbook book.csv"},
      {{"--report", "./old/../book.csv", "-o", "out", "book.csv"},
       "workbook book.csv"},
      {{"--report", "list.txt", "--files-from", "list.txt", "-o", "out"},
       "input list list.txt"},
      {{"--report", "out/book.xml", "-o", "out", "book.csv"},
       "output file out/book.xml of book.csv"},
      {{"--report", "out//x/../book.xml", "-o", "out/", "book.csv"},
       "output file out/book.xml"},
      {{"--report", "link/book.xml", "-o", "old", "book.csv"},
       "output file old/book.xml"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.status, 2) << c.args[1];
    EXPECT_THAT(outcome.err, HasSubstr("--report " + c.args[1] +
                                       " would replace the " + c.named))
        << c.args[1];
    EXPECT_FALSE(fs::exists(dir_ / "out")) << c.args[1];
  }
  EXPECT_EQ(ReadFile(book), before);
  EXPECT_EQ(ReadFile(dir_ / "list.txt"), "book.csv\n");
  EXPECT_EQ(ReadFile(dir_ / "old" / "book.xml"), "an earlier output");
  // A report in the output folder, beside the outputs, is fine.
  EXPECT_EQ(Run({"--report", "old/run.jsonl", "-o", "old", "book.csv"}).status,
            0);
  EXPECT_EQ(ParseLines(ReadFile(dir_ / "old" / "run.jsonl")).size(), 1u);

  // A run that cannot begin still accounts for every workbook.
  WriteFile(dir_ / "taken", "a file where the output folder should be");
  const Outcome blocked =
      Run({"--report", "r.jsonl", "-o", "taken/out", "book.csv"});
  EXPECT_EQ(blocked.status, 1);
  const std::vector<nlohmann::json> lines =
      ParseLines(ReadFile(dir_ / "r.jsonl"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["status"], "failed");
  EXPECT_THAT(lines[0]["reason"].get<std::string>(), HasSubstr("taken/out"));

  const Outcome unwritable =
      Run({"--report", "no/such/folder/r.jsonl", "-o", "out", "book.csv"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_THAT(unwritable.err,
              HasSubstr("no/such/folder/r.jsonl: cannot write the report"));
}

// --- A sharded run

// The shard command of the README: shard k of n takes every n-th name of
// the sorted list.
std::string ShardCommand(int k, int n, const fs::path& out) {
  return "find . -type f \\( -name '*.xlsx' -o -name '*.xlsm' -o -name "
         "'*.ods' -o -name '*.xls' -o -name '*.csv' \\) -print0 | sort -z | "
         "awk -v k=" +
         std::to_string(k) + " -v n=" + std::to_string(n) +
         " 'BEGIN { RS = ORS = \"\\0\" } NR % n == k' | \"$0\" --files-from - "
         "-0 --keep-tree --quiet --jobs 1 -o '" +
         out.string() + "'";
}

TEST_F(CliBatchTest, ThreeShardsWriteWhatOneRunWrites) {
  const fs::path corpus = fs::path(KESTRILO_SHARED_DIR) / "corpus";
  if (!fs::is_directory(corpus)) {
    GTEST_SKIP() << "no shared corpus at " << corpus;
  }
  const Outcome single =
      Run({"--keep-tree", "--quiet", "--ext", "xlsx,xlsm,ods,xls,csv", "-o",
           "single", corpus.string()});
  EXPECT_EQ(single.status, 1) << "the corpus has broken workbooks";
  std::vector<pid_t> shards;
  for (int k = 0; k < 3; ++k) {
    const std::string name = "shard" + std::to_string(k);
    shards.push_back(Start(
        "/bin/sh", {"-c", ShardCommand(k, 3, dir_ / "shards"), KESTRILO_CLI},
        corpus, "", dir_ / (name + ".out"), dir_ / (name + ".err")));
  }
  std::string errors;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(Wait(shards[k]), 1) << "shard " << k;
    errors += ReadFile(dir_ / ("shard" + std::to_string(k) + ".err"));
  }
  const std::set<std::string> files = TreeOf("single");
  ASSERT_GT(files.size(), 100u);
  EXPECT_EQ(TreeOf("shards"), files) << errors;
  for (const std::string& name : files) {
    EXPECT_EQ(ReadFile(dir_ / "shards" / name),
              ReadFile(dir_ / "single" / name))
        << name;
  }
}

}  // namespace
}  // namespace kestrilo::cli
