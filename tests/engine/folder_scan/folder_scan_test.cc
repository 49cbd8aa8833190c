// SPDX-License-Identifier: MIT

#include "engine/folder_scan/folder_scan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/folder_scan/folder_scan_order.h"
#include "engine/folder_scan/wildcard_match.h"
#include "without_read_override.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// A fresh folder tree under the temporary folder, removed afterwards.
class TempTree {
 public:
  TempTree() {
    char pattern[] = "/tmp/kestrilo-scan-XXXXXX";
    root_ = mkdtemp(pattern);
  }
  ~TempTree() {
    // Undo any chmod so that the tree can be removed.
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                        ignored);
      }
    }
    fs::remove_all(root_, ignored);
  }
  const std::string& root() const { return root_; }
  std::string Folder(const std::string& relative) const {
    const std::string path = root_ + "/" + relative;
    fs::create_directories(path);
    return path;
  }
  std::string File(const std::string& relative) const {
    const std::string path = root_ + "/" + relative;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
    return path;
  }

 private:
  std::string root_;
};

// Collects what a scan reports as skipped.
struct Skipped {
  FolderScanHooks Hooks() {
    return {.report_skipped = [this](const std::string& m) {
      messages.push_back(m);
    }};
  }
  bool Names(const std::string& path) const {
    return std::any_of(messages.begin(), messages.end(), [&](const auto& m) {
      return m.starts_with(path + ": skipped: ");
    });
  }
  Strings messages;
};

TEST(CollapseDoubleSlashesTest, PairsBecomeSingleSeparators) {
  EXPECT_EQ(CollapseDoubleSlashes("Data//b.xls"), "Data/b.xls");
  // A run of three becomes two, a run of four becomes two.
  EXPECT_EQ(CollapseDoubleSlashes("Data///b.xls"), "Data//b.xls");
  EXPECT_EQ(CollapseDoubleSlashes("/Data//Sub////b.xls"), "/Data/Sub//b.xls");
  EXPECT_EQ(CollapseDoubleSlashes("/home/u/a.xlsx"), "/home/u/a.xlsx");
  EXPECT_EQ(CollapseDoubleSlashes("a.xlsx"), "a.xlsx");
  EXPECT_EQ(CollapseDoubleSlashes(""), "");
}

TEST(CollapseDoubleSlashesTest, LeadingRunBecomesTheRoot) {
  // The root folder enters the scan as "//"; its files come out clean.
  EXPECT_EQ(CollapseDoubleSlashes("//a.xlsx"), "/a.xlsx");
  EXPECT_EQ(CollapseDoubleSlashes("///server/share//a.xls"),
            "/server/share/a.xls");
  EXPECT_EQ(CollapseDoubleSlashes("/server/share/a.xls"),
            "/server/share/a.xls");
  EXPECT_EQ(CollapseDoubleSlashes("////"), "/");
  EXPECT_EQ(CollapseDoubleSlashes("/"), "/");
}

TEST(NaturalNameLessTest, AsFileManagersShowNames) {
  Strings names{"file10.xlsx",
                "File2.xlsx",
                "file1.xlsx",
                "b.xlsx",
                "A.xlsx",
                "a.xlsx",
                "file01.xlsx",
                "_x.xlsx",
                "Z9",
                "z10",
                "\xe9t\xe9",
                "x100000000000000000000y",
                "x99999999999999999999y"};
  std::sort(names.begin(), names.end(), NaturalNameLess);
  EXPECT_EQ(names,
            (Strings{"_x.xlsx", "A.xlsx", "a.xlsx", "b.xlsx", "file01.xlsx",
                     "file1.xlsx", "File2.xlsx", "file10.xlsx",
                     "x99999999999999999999y", "x100000000000000000000y", "Z9",
                     "z10", "\xe9t\xe9"}));
  EXPECT_FALSE(NaturalNameLess("a", "a"));
  EXPECT_TRUE(NaturalNameLess("a", "a0"));
}

TEST(MatchesWildcardTest, DirectorySearchPatterns) {
  EXPECT_TRUE(MatchesWildcard("Book.xlsx", "*.xl*"));
  EXPECT_TRUE(MatchesWildcard("Book.XLSX", "*.xl*"));
  EXPECT_TRUE(MatchesWildcard("old.xls", "*.xl*"));
  EXPECT_TRUE(MatchesWildcard("a.b.xlsm", "*.xl*"));
  EXPECT_FALSE(MatchesWildcard("Book.ods", "*.xl*"));
  EXPECT_FALSE(MatchesWildcard("xlsx", "*.xl*"));
  EXPECT_TRUE(MatchesWildcard("notes.TXT", "*.txt"));
  EXPECT_FALSE(MatchesWildcard("notes.txt.bak", "*.txt"));
  // "*.*" is every name, with or without a dot.
  EXPECT_TRUE(MatchesWildcard("README", "*.*"));
  EXPECT_TRUE(MatchesWildcard(".hidden", "*.*"));
  EXPECT_TRUE(MatchesWildcard("a.csv", "*.*"));
  EXPECT_TRUE(MatchesWildcard("data", "data.*"));
  // "?" is one character, also a multi-byte one.
  EXPECT_TRUE(MatchesWildcard("a1.csv", "a?.csv"));
  EXPECT_TRUE(MatchesWildcard("aé.csv", "a?.csv"));
  EXPECT_FALSE(MatchesWildcard("a.csv", "a?.csv"));
  EXPECT_TRUE(MatchesWildcard("abcabcabd", "*abd"));
}

TEST(ListFilesInFolderTest, RegularFilesInNaturalOrderOthersReported) {
  TempTree tree;
  tree.File("b10.XLS");
  tree.File("B9.xlsx");
  tree.File("a.xlsx");
  tree.File("c.ods");
  tree.Folder("folder.xlsx");
  fs::create_symlink(tree.root() + "/a.xlsx", tree.root() + "/link.xlsx");
  fs::create_symlink(tree.root() + "/missing", tree.root() + "/dangling.xlsx");
  const Strings expected{"a.xlsx", "B9.xlsx", "b10.XLS", "link.xlsx"};
  Skipped skipped;
  EXPECT_EQ(ListFilesInFolder(tree.root(), "*.xl*", skipped.Hooks()), expected);
  EXPECT_EQ(
      skipped.messages,
      Strings{tree.root() + "/dangling.xlsx: skipped: not a regular file"});
  EXPECT_EQ(ListFilesInFolder(tree.root() + "/", "*.xl*"), expected);
  EXPECT_TRUE(ListFilesInFolder(tree.root(), "*.csv").empty());
}

TEST(ListFilesInFolderTest, MissingFolderHasNoFilesUnreadableOneThrows) {
  EXPECT_TRUE(ListFilesInFolder("/nonexistent-kestrilo", "*.*").empty());
  TempTree tree;
  const std::string locked = tree.Folder("locked");
  tree.File("locked/a.xlsx");
  chmod(locked.c_str(), 0);
  WithoutReadOverride no_override;
  if (!no_override.active()) GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE";
  try {
    ListFilesInFolder(locked, "*.*");
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(locked + "/"), std::string::npos);
  }
}

TEST(IsExistingFileTest, FilesOnly) {
  TempTree tree;
  EXPECT_TRUE(IsExistingFile(tree.File("a.csv")));
  EXPECT_FALSE(IsExistingFile(tree.root()));
  EXPECT_FALSE(IsExistingFile(tree.root() + "/nothing"));
  EXPECT_FALSE(IsExistingFile(""));
  EXPECT_FALSE(IsExistingFile("/dev/null"));
  EXPECT_TRUE(IsExistingFile(tree.File("Bücher.xlsx")));
  // Paths are bytes: a Latin-1 name is as good as any.
  EXPECT_TRUE(
      IsExistingFile(tree.File("B\xfc"
                               "cher.xlsx")));
}

TEST(ListSubfoldersBreadthFirstTest, BreadthFirstInNaturalOrder) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.Folder("R/b/B1");
  tree.Folder("R/A10/x");
  tree.Folder("R/A9/A2/deep");
  tree.Folder("R/A9/a1");
  const Strings expected{r + "/",       r + "/A9/",    r + "/A10/",
                         r + "/b/",     r + "/A9/a1/", r + "/A9/A2/",
                         r + "/A10/x/", r + "/b/B1/",  r + "/A9/A2/deep/"};
  Strings folders{r + "/"};
  int yields = 0;
  ListSubfoldersBreadthFirst(folders, true, {.yield = [&] { ++yields; }});
  EXPECT_EQ(folders, expected);
  EXPECT_GT(yields, 8);

  Strings one_level{r + "/"};
  ListSubfoldersBreadthFirst(one_level, false);
  EXPECT_EQ(one_level, Strings(expected.begin(), expected.begin() + 4));
}

// Only "/" and NUL cannot be in a name: every other folder is scanned. Links
// are not followed (a link up the tree would never end), and say so.
TEST(ListSubfoldersBreadthFirstTest, KeepsEveryNameReportsLinks) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.Folder("R/.hidden/inside");
  tree.Folder("R/bad\x01name/below");
  tree.Folder("R/bad\xffname/below");
  tree.Folder("R/new\nline/below");
  tree.Folder("R/what?/below");
  fs::create_directory_symlink(r, r + "/loop");
  fs::create_directory_symlink(r + "/.hidden", r + "/alias");
  Strings folders{r + "/"};
  Skipped skipped;
  ListSubfoldersBreadthFirst(folders, true, skipped.Hooks());
  EXPECT_EQ(folders,
            (Strings{r + "/", r + "/.hidden/", r + "/bad\x01name/",
                     r + "/bad\xffname/", r + "/new\nline/", r + "/what?/",
                     r + "/.hidden/inside/", r + "/bad\x01name/below/",
                     r + "/bad\xffname/below/", r + "/new\nline/below/",
                     r + "/what?/below/"}));
  EXPECT_EQ(skipped.messages.size(), 2u);
  EXPECT_TRUE(skipped.Names(r + "/loop"));
  EXPECT_TRUE(skipped.Names(r + "/alias"));
}

TEST(ListSubfoldersBreadthFirstTest, ChosenLinkIsScanned) {
  TempTree tree;
  tree.Folder("real/sub");
  const std::string link = tree.root() + "/link";
  fs::create_directory_symlink(tree.root() + "/real", link);
  Strings folders{link + "/"};
  ListSubfoldersBreadthFirst(folders, true);
  EXPECT_EQ(folders, (Strings{link + "/", link + "/sub/"}));
}

// Makes the folders of `names` one inside the other below `root`, however
// long the whole path grows: each is made relative to the one above.
void MakeNestedFolders(const std::string& root, const Strings& names) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  for (const std::string& name : names) {
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0) << name;
    const int below = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = below;
  }
  close(fd);
}

TEST(ListSubfoldersBreadthFirstTest,
     PathsLongerThanTheSystemAllowsAreReported) {
  TempTree tree;
  const std::string file = tree.File("plain.txt");
  const std::string r = tree.Folder("R");
  // Paths of 260 characters and more are fine; the system's limit is not.
  const Strings names(kMaxScanPath / 255 + 1, std::string(255, 'n'));
  MakeNestedFolders(r, names);
  Strings folders{file + "/", r + "/"};
  Skipped skipped;
  ListSubfoldersBreadthFirst(folders, true, skipped.Hooks());
  ASSERT_GT(folders.size(), 10u);
  EXPECT_EQ(folders[0], file + "/");  // not a folder: stays unscanned
  const std::string& deepest = folders.back();
  EXPECT_LT(deepest.size(), kMaxScanPath);
  EXPECT_GE(deepest.size() + 256, kMaxScanPath);
  ASSERT_EQ(skipped.messages.size(), 1u);
  EXPECT_TRUE(skipped.Names(deepest + names[0])) << skipped.messages[0];
  EXPECT_NE(skipped.messages[0].find("longer than the system allows"),
            std::string::npos);
}

TEST(ListSubfoldersBreadthFirstTest, FolderGoneBeforeItIsReadIsRemoved) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.Folder("R/A");
  Strings folders{r + "/"};
  Strings reports;
  // The first yield comes after the folder test, just before the folder is
  // read: removing it then makes the read fail with "not found".
  bool first = true;
  FolderScanHooks hooks{
      .yield =
          [&] {
            if (first) fs::remove_all(r);
            first = false;
          },
      .report_error = [&](const std::string& m) { reports.push_back(m); }};
  ListSubfoldersBreadthFirst(folders, true, hooks);
  EXPECT_TRUE(folders.empty());
  EXPECT_TRUE(reports.empty());
}

TEST(ListSubfoldersBreadthFirstTest, UnreadableFoldersAreRemoved) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.Folder("R/open/below");
  tree.Folder("R/locked/below");
  tree.File("R/locked/a.xlsx");
  chmod((r + "/locked").c_str(), 0);
  WithoutReadOverride no_override;
  if (!no_override.active()) GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE";
  Strings folders{r + "/"};
  Strings reports;
  Skipped skipped;
  FolderScanHooks hooks = skipped.Hooks();
  hooks.report_error = [&](const std::string& m) { reports.push_back(m); };
  ListSubfoldersBreadthFirst(folders, true, hooks);
  EXPECT_EQ(folders, (Strings{r + "/", r + "/open/", r + "/open/below/"}));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(skipped.messages,
            Strings{r + "/locked/: skipped: Permission denied"});

  // A chosen folder that cannot be read leaves nothing.
  Strings chosen{r + "/locked/"};
  ListSubfoldersBreadthFirst(chosen, true);
  EXPECT_TRUE(chosen.empty());
  EXPECT_TRUE(FilesInFolderTree(r + "/locked", "*").empty());
}

TEST(FilesInFolderTreeTest, FilesInScanOrderWithTheSkipRules) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.File("R/r.xlsx");
  tree.File("R/~$r.xlsx");
  tree.File("R/notes.txt");
  tree.File("R/A/a.XLS");
  tree.File("R/A/A1/a1.xlsm");
  tree.File("R/B/~lock.xlsx");
  tree.File("R/B/b.xlsx");
  tree.File("R/B/B1/b1.xlsx");
  tree.File("R/.hidden/h.xlsx");
  tree.File("R/.dot.xlsx");
  const std::string read_only = tree.File("R/.readonly.xlsx");
  chmod(read_only.c_str(), 0444);

  const Strings expected{r + "/.readonly.xlsx", r + "/r.xlsx",
                         r + "/.hidden/h.xlsx", r + "/A/a.XLS",
                         r + "/B/b.xlsx",       r + "/A/A1/a1.xlsm",
                         r + "/B/B1/b1.xlsx"};
  Skipped skipped;
  EXPECT_EQ(FilesInFolderTree(r, "xl*", skipped.Hooks()), expected);
  EXPECT_EQ(skipped.messages.size(), 3u);
  EXPECT_TRUE(skipped.Names(r + "/~$r.xlsx"));
  EXPECT_TRUE(skipped.Names(r + "/B/~lock.xlsx"));
  EXPECT_TRUE(skipped.Names(r + "/.dot.xlsx"));
  // A trailing separator on the chosen folder changes nothing.
  EXPECT_EQ(FilesInFolderTree(r + "/", "xl*"), expected);
}

TEST(FilesInFolderTreeTest, ExtensionAnswers) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.File("R/a.txt");
  tree.File("R/README");
  tree.File("R/sub/B.TXT");
  tree.File("R/sub/c.csv");
  EXPECT_EQ(FilesInFolderTree(r, "txt"),
            (Strings{r + "/a.txt", r + "/sub/B.TXT"}));
  Strings all = FilesInFolderTree(r, "*");
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (Strings{r + "/README", r + "/a.txt", r + "/sub/B.TXT",
                          r + "/sub/c.csv"}));
  EXPECT_TRUE(FilesInFolderTree(r, "doc").empty());
}

TEST(FilesInFolderTreeTest, ListingFailuresAreReportedAndTheScanGoesOn) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.File("R/sub/a.csv");
  // Yields: before R is read, before its subfolder, before the subfolder is
  // read, before it is taken over. Locking it at the last one makes the tree
  // complete but the subfolder's listing fail.
  Strings reports;
  int yields = 0;
  FolderScanHooks hooks{
      .yield =
          [&] {
            if (++yields == 4) chmod((r + "/sub").c_str(), 0300);
          },
      .report_error = [&](const std::string& m) { reports.push_back(m); }};
  tree.File("R/top.csv");
  WithoutReadOverride no_override;
  if (!no_override.active()) GTEST_SKIP() << "cannot drop CAP_DAC_OVERRIDE";
  const Strings files = FilesInFolderTree(r, "csv", hooks);
  EXPECT_EQ(files, Strings{r + "/top.csv"});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(r + "/sub"), std::string::npos);
  EXPECT_TRUE(FilesInFolderTree("/nonexistent-kestrilo", "*").empty());
}

TEST(FilesInFolderTreeTest, ScanningTwiceFindsTheSameFiles) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.File("R/x/1.xlsx");
  EXPECT_EQ(FilesInFolderTree(r, "xl*"), FilesInFolderTree(r, "xl*"));
  EXPECT_EQ(FilesInFolderTree(r, "xl*"), (Strings{r + "/x/1.xlsx"}));
}

}  // namespace
}  // namespace kestrilo
