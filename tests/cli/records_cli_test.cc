// SPDX-License-Identifier: MIT
// kestrilo-cli's records layout: its options, the schema written beside
// each file, and xmllint's verdict on every output of the shared corpus.

#include <filesystem>
#include <string>
#include <vector>

#include "../engine/support/recipe_example.h"
#include "../engine/support/xmllint_check.h"
#include "cli_test_support.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace kestrilo::cli {
namespace {

namespace fs = std::filesystem;
using test_support::Outcome;
using test_support::ReadFile;
using test_support::WriteFile;
using ::testing::HasSubstr;
using testing_support::HasXmllint;
using testing_support::XmllintComplaint;

class CliRecordsTest : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) {
    return test_support::RunToolIn(dir_, args);
  }

  test_support::ToolFolder folder_{"records"};
  const fs::path& dir_ = folder_.path();
};

TEST_F(CliRecordsTest, RecipeWithItsSchemaBeside) {
  const std::string book =
      testing_support::WriteGrid("Book 1", testing_support::GridFormat::kCsv,
                                 testing_support::RecipeGrid());
  const Outcome outcome = Run({"--records", "recipe", "--title", "recipes",
                               "--schema", "-o", "out", book});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(dir_ / "out" / "Book 1.xml"),
            testing_support::RecipeXml(
                " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                "xsi:noNamespaceSchemaLocation=\"Book%201.xsd\""));
  EXPECT_THAT(ReadFile(dir_ / "out" / "Book 1.xsd"),
              HasSubstr("<xs:element name=\"ingredient\" minOccurs=\"2\" "
                        "maxOccurs=\"2\">"));
  if (!HasXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  EXPECT_EQ(XmllintComplaint((dir_ / "out" / "Book 1.xml").string(),
                             (dir_ / "out" / "Book 1.xsd").string()),
            "");
}

TEST_F(CliRecordsTest, TextAndChildrenInOneElementFailNamingFileAndColumns) {
  WriteFile(dir_ / "mixed.csv", "a,a/b\r\n1,2\r\n");
  WriteFile(dir_ / "fine.csv", "a,b/c\r\n1,2\r\n");
  const Outcome outcome =
      Run({"--records", "r", "--schema", "-o", "out", "mixed.csv", "fine.csv"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err,
              HasSubstr("kestrilo-cli: mixed.csv: column A (\"a\") and column "
                        "B (\"a/b\") give the element a both text and child "
                        "elements"));
  EXPECT_FALSE(fs::exists(dir_ / "out" / "mixed.xml"));
  EXPECT_FALSE(fs::exists(dir_ / "out" / "mixed.xsd"));
  EXPECT_TRUE(fs::exists(dir_ / "out" / "fine.xsd"));
}

TEST_F(CliRecordsTest, OptionsThatCannotGoTogetherAreWrongUsage) {
  WriteFile(dir_ / "x.csv", "a\r\n1\r\n");
  const std::vector<std::vector<std::string>> wrong = {
      {"--records", "r", "--no-title-tag", "x.csv"},
      {"--records", "r", "--no-escape", "x.csv"},
      {"--records", "r", "--raw-names", "x.csv"},
      {"--records", "", "x.csv"},
      {"--schema", "x.csv"},
      {"--keep-empty", "x.csv"},
      {"--records", "r", "--schema", "-o", "-", "x.csv"},
  };
  for (const std::vector<std::string>& args : wrong) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 2) << args.front() << " " << args[1];
    EXPECT_THAT(outcome.err, HasSubstr("usage: kestrilo-cli"));
    EXPECT_FALSE(fs::exists(dir_ / "x.xml"));
  }
}

// Every workbook of the corpus that converts gives XML that its own schema
// accepts, whatever its headers hold.
TEST_F(CliRecordsTest, EveryCorpusOutputIsValidAgainstItsSchema) {
  const fs::path corpus = fs::path(KESTRILO_SHARED_DIR) / "corpus";
  if (!fs::is_directory(corpus)) {
    GTEST_SKIP() << "no workbook corpus at " << corpus;
  }
  if (!HasXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  // The broken workbooks of bad/ fail, and write nothing.
  const Outcome outcome = Run({"--records", "row", "--schema", "--quiet",
                               "--keep-tree", "-o", "out", corpus.string()});
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  int validated = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir_ / "out")) {
    if (entry.path().extension() != ".xml") continue;
    fs::path schema = entry.path();
    schema.replace_extension(".xsd");
    EXPECT_EQ(XmllintComplaint(entry.path().string(), schema.string()), "")
        << entry.path();
    ++validated;
  }
  EXPECT_GT(validated, 170) << outcome.err;
}

}  // namespace
}  // namespace kestrilo::cli
