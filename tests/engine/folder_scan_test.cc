#include "engine/folder_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/wildcard_match.h"
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

// The names of a folder's subfolders in the order the file system lists
// them, which is the order the scan must keep.
Strings SubfoldersInListingOrder(const std::string& folder) {
  Strings names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_directory()) names.push_back(entry.path().filename());
  }
  return names;
}

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

TEST(HasInvalidNameCharsTest, ControlCharactersQuestionMarkAndBadUtf8) {
  EXPECT_FALSE(HasInvalidNameChars(""));
  EXPECT_FALSE(HasInvalidNameChars("Quarterly Report 2021 (final)"));
  EXPECT_FALSE(HasInvalidNameChars("Bücher ñ 東京 €"));
  EXPECT_TRUE(HasInvalidNameChars("tab\there"));
  EXPECT_TRUE(HasInvalidNameChars(std::string("nul\0x", 5)));
  EXPECT_TRUE(HasInvalidNameChars("del\x7f"));
  EXPECT_TRUE(HasInvalidNameChars("c1\xc2\x85"));     // U+0085
  EXPECT_FALSE(HasInvalidNameChars("nbsp\xc2\xa0"));  // U+00A0
  EXPECT_TRUE(HasInvalidNameChars("why?"));
  EXPECT_TRUE(HasInvalidNameChars("latin1 \xe9t\xe9"));  // not UTF-8
  EXPECT_TRUE(HasInvalidNameChars("overlong \xc0\xaf"));
  EXPECT_TRUE(HasInvalidNameChars("cut \xe6\x9d"));
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

TEST(ListFilesInFolderTest, RegularFilesInListingOrderOnly) {
  TempTree tree;
  tree.File("a.xlsx");
  tree.File("b.XLS");
  tree.File("c.ods");
  tree.Folder("folder.xlsx");
  fs::create_symlink(tree.root() + "/a.xlsx", tree.root() + "/link.xlsx");
  fs::create_symlink(tree.root() + "/missing", tree.root() + "/dangling.xlsx");
  Strings expected;
  for (const auto& entry : fs::directory_iterator(tree.root())) {
    const std::string name = entry.path().filename();
    if (name == "a.xlsx" || name == "b.XLS" || name == "link.xlsx") {
      expected.push_back(name);
    }
  }
  EXPECT_EQ(ListFilesInFolder(tree.root(), "*.xl*"), expected);
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
  EXPECT_FALSE(
      IsExistingFile(tree.File("B\xfc"
                               "cher.xlsx")));  // Latin-1
}

TEST(ListSubfoldersBreadthFirstTest, BreadthFirstInListingOrder) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.Folder("R/A/A1");
  tree.Folder("R/B/B1");
  tree.Folder("R/A/A2/deep");
  Strings expected{r + "/"};
  Strings level1;
  for (const auto& name : SubfoldersInListingOrder(r)) {
    level1.push_back(r + "/" + name + "/");
  }
  Strings level2;
  for (const auto& folder : level1) {
    for (const auto& name : SubfoldersInListingOrder(folder)) {
      level2.push_back(folder + name + "/");
    }
  }
  expected.insert(expected.end(), level1.begin(), level1.end());
  expected.insert(expected.end(), level2.begin(), level2.end());
  expected.push_back(r + "/A/A2/deep/");

  Strings folders{r + "/"};
  int yields = 0;
  ListSubfoldersBreadthFirst(folders, true, {.yield = [&] { ++yields; }});
  EXPECT_EQ(folders, expected);
  EXPECT_GT(yields, 6);

  Strings one_level{r + "/"};
  ListSubfoldersBreadthFirst(one_level, false);
  EXPECT_EQ(one_level, Strings(expected.begin(), expected.begin() + 3));
}

TEST(ListSubfoldersBreadthFirstTest,
     LeavesOutLinksAndBadNamesWithTheirSubtrees) {
  TempTree tree;
  const std::string r = tree.Folder("R");
  tree.Folder("R/.hidden/inside");
  tree.Folder("R/bad\x01name/below");
  tree.Folder("R/bad\xffname/below");
  tree.Folder("R/what?/below");
  fs::create_directory_symlink(r, r + "/loop");
  fs::create_directory_symlink(r + "/.hidden", r + "/alias");
  Strings folders{r + "/"};
  ListSubfoldersBreadthFirst(folders, true);
  EXPECT_EQ(folders,
            (Strings{r + "/", r + "/.hidden/", r + "/.hidden/inside/"}));
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

TEST(ListSubfoldersBreadthFirstTest, NonFoldersAndTooLongPathsStayUnscanned) {
  TempTree tree;
  const std::string file = tree.File("plain.txt");
  const std::string r = tree.Folder("R");
  // Names are at most 255 bytes, so a path of 260 characters takes two.
  const std::string long1(200, 'a');
  const std::string long2(60, 'b');
  tree.Folder("R/" + long1 + "/" + long2 + "/sub");
  Strings folders{file + "/", r + "/"};
  ListSubfoldersBreadthFirst(folders, true);
  const std::string deep = r + "/" + long1 + "/" + long2 + "/";
  ASSERT_GE(deep.size(), 260u);
  EXPECT_EQ(folders,
            (Strings{file + "/", r + "/", r + "/" + long1 + "/", deep}));
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
  ListSubfoldersBreadthFirst(
      folders, true,
      {.report_error = [&](const std::string& m) { reports.push_back(m); }});
  EXPECT_EQ(folders, (Strings{r + "/", r + "/open/", r + "/open/below/"}));
  EXPECT_TRUE(reports.empty());

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

  Strings expected;
  // The chosen folder's own files first, in listing order.
  for (const auto& entry : fs::directory_iterator(r)) {
    const std::string name = entry.path().filename();
    if (name == "r.xlsx" || name == ".readonly.xlsx") {
      expected.push_back(r + "/" + name);
    }
  }
  std::map<std::string, Strings> files_of{{"A", {r + "/A/a.XLS"}},
                                          {"B", {r + "/B/b.xlsx"}},
                                          {".hidden", {r + "/.hidden/h.xlsx"}}};
  Strings level1 = SubfoldersInListingOrder(r);
  for (const auto& name : level1) {
    expected.insert(expected.end(), files_of[name].begin(),
                    files_of[name].end());
  }
  for (const auto& name : level1) {
    if (name == "A") expected.push_back(r + "/A/A1/a1.xlsm");
    if (name == "B") expected.push_back(r + "/B/B1/b1.xlsx");
  }
  EXPECT_EQ(FilesInFolderTree(r, "xl*"), expected);
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
