// SPDX-License-Identifier: MIT
// The one table of the formats read, and what is made from it.
#include "engine/reading/workbook_formats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace kestrilo {
namespace {

TEST(WorkbookFormatsTest, PlainTextIsKnownByItsName) {
  for (const char* name : {"a.csv", "dir/A.TSV", "x.b.txt", "/p/q.Csv"}) {
    EXPECT_TRUE(IsPlainTextName(name)) << name;
  }
  for (const char* name :
       {"a.xlsx", ".csv", "dir/.txt", "csv", "a.csv/b", "a.csvx"}) {
    EXPECT_FALSE(IsPlainTextName(name)) << name;
  }
  EXPECT_EQ(ExtensionPatterns(FormatFamily::kText), "*.csv *.tsv *.txt");
  EXPECT_EQ(ExtensionPatterns(FormatFamily::kOpenDocument), "*.ods *.ots");
}

// The desktop entry offers the program for exactly the formats the table
// says, in its order.
TEST(WorkbookFormatsTest, TheDesktopEntryListsTheTablesTypes) {
  std::ifstream file(KESTRILO_DESKTOP_ENTRY);
  std::stringstream entry;
  entry << file.rdbuf();
  std::smatch line;
  const std::string text = entry.str();
  ASSERT_TRUE(std::regex_search(text, line, std::regex("MimeType=(.*)")));
  std::string expected;
  for (const WorkbookFormat& format : WorkbookFormats()) {
    if (format.desktop) expected += std::string(format.mime_type) + ";";
  }
  EXPECT_EQ(line[1].str(), expected);
}

}  // namespace
}  // namespace kestrilo
