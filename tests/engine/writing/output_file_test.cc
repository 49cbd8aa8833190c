// SPDX-License-Identifier: MIT

#include "engine/writing/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "engine/files/file_names.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int EntryCount(const fs::path& folder) {
  return static_cast<int>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class OutputFileTest : public ::testing::Test {
 protected:
  OutputFileTest() {
    std::string pattern =
        (fs::temp_directory_path() / "kestrilo-output-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~OutputFileTest() override {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, ignored);
    fs::remove_all(folder_, ignored);
  }

  std::string PathOf(const std::string& name) const {
    return (folder_ / name).string();
  }

  fs::path folder_;
};

TEST_F(OutputFileTest, CreatesAndReplacesWholeFiles) {
  const std::string path = PathOf("Book1.xml");
  WriteTextFile("<XML>\r\n\t<A>a long first text</A>\r\n</XML>\r\n", path);
  EXPECT_EQ(ReadBytes(path),
            "<XML>\r\n\t<A>a long first text</A>\r\n</XML>\r\n");
  WriteTextFile("<B/>\r\n", path);
  EXPECT_EQ(ReadBytes(path), "<B/>\r\n");
  WriteTextFile("", path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
  EXPECT_EQ(EntryCount(folder_), 1);
}

TEST_F(OutputFileTest, NewFilesGetOrdinaryPermissions) {
  const mode_t mask = ::umask(022);
  const std::string path = PathOf("Book1.xml");
  WriteTextFile("x", path);
  ::umask(mask);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write |
                fs::perms::group_read | fs::perms::others_read);
}

TEST_F(OutputFileTest, ReplacedFileKeepsItsPermissionsAndOwner) {
  const mode_t mask = ::umask(022);
  const std::string path = PathOf("Private.xml");
  WriteTextFile("secret", path);
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  WriteTextFile("new secret", path);
  const std::string shared = PathOf("Shared.xml");
  WriteTextFile("x", shared);
  ASSERT_EQ(::chmod(shared.c_str(), 0664), 0);
  WriteTextFile("y", shared);
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  ASSERT_EQ(::stat(shared.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0664u);
  EXPECT_EQ(ReadBytes(path), "new secret");
  // Root may hand the new file to the old one's owner, and does.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    WriteTextFile("theirs", path);
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
  }
}

// A link at the output path is replaced by a new file of its own: the
// file the link points to lends it neither its mode nor its owner, and
// stays as it was.
TEST_F(OutputFileTest, ReplacedLinkLendsNothingOfItsTarget) {
  const mode_t mask = ::umask(022);
  const std::string target = PathOf("target.txt");
  WriteTextFile("theirs", target);
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  if (::geteuid() == 0) ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
  const std::string path = PathOf("t.xml");
  ASSERT_EQ(::symlink("target.txt", path.c_str()), 0);
  WriteTextFile("ours", path);
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(::lstat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(info.st_uid, ::geteuid());
  EXPECT_EQ(ReadBytes(path), "ours");
  EXPECT_EQ(ReadBytes(target), "theirs");
}

bool HasTemporaryFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".tmp") return true;
  }
  return false;
}

// What a program ending on a signal does: the files being written go at
// once, and none is put in place afterwards. In a child process, as a
// writer that commits after that is left waiting for good: the child ends
// with it waiting, or, should the commit not wait, with the file it made.
TEST_F(OutputFileTest, AbandonedTemporaryFilesAreRemoved) {
  const std::string path = PathOf("Book1.xml");
  WriteTextFile("earlier", path);
  const pid_t child = ::fork();
  if (child == 0) {
    auto first = std::make_unique<OutputFile>(path);
    OutputFile second(PathOf("Book2.xml"));
    first->Write("later");
    if (!HasTemporaryFile(folder_)) ::_exit(2);
    AbandonTemporaryFiles();
    if (HasTemporaryFile(folder_)) ::_exit(1);
    std::thread([&first] { first->Commit(); }).detach();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadBytes(path), "earlier");
  EXPECT_EQ(EntryCount(folder_), 1);
}

TEST_F(OutputFileTest, WritesUtf8ByteForByte) {
  const std::string text =
      "<\xCE\x94\xCE\xB5\xCE\xB4\xCE\xBF\xCE\xBC\xCE\xAD\xCE\xBD\xCE\xB1>"
      "\xF0\x9F\x8D\x8E \xE2\x82\xAC 5</\xCE\x94\xCE\xB5\xCE\xB4\xCE\xBF"
      "\xCE\xBC\xCE\xAD\xCE\xBD\xCE\xB1>\r\n";
  const std::string path = PathOf("\xCE\xB1.xml");
  WriteTextFile(text, path);
  EXPECT_EQ(ReadBytes(path), text);  // no byte-order mark, nothing replaced
}

TEST_F(OutputFileTest, FailureNamesThePathAndKeepsTheEarlierFile) {
  // The target is a folder: the new text cannot be renamed over it.
  const std::string blocked = PathOf("Blocked.xml");
  fs::create_directory(blocked);
  WriteTextFile("kept", PathOf("Blocked.xml/inner.xml"));
  try {
    WriteTextFile("new text", blocked);
    FAIL() << "writing over a folder succeeded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(blocked), std::string::npos)
        << error.what();
    EXPECT_NE(std::string(error.what()).find("directory"), std::string::npos)
        << error.what();
  }
  EXPECT_EQ(ReadBytes(PathOf("Blocked.xml/inner.xml")), "kept");
  EXPECT_EQ(EntryCount(folder_), 1);  // no temporary file left behind
}

TEST_F(OutputFileTest, MissingFolderIsReported) {
  const std::string path = PathOf("missing/Book1.xml");
  try {
    WriteTextFile("text", path);
    FAIL() << "writing into a missing folder succeeded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("No such file or directory"),
              std::string::npos)
        << error.what();
  }
  EXPECT_THROW(WriteTextFile("text", ""), std::runtime_error);
}

TEST_F(OutputFileTest, UnwritableFolderKeepsTheEarlierFile) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "running as root: folder permissions do not apply";
  }
  const std::string path = PathOf("Book1.xml");
  WriteTextFile("earlier", path);
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  try {
    WriteTextFile("later", path);
    FAIL() << "writing into a read-only folder succeeded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("Permission denied"),
              std::string::npos)
        << error.what();
  }
  fs::permissions(folder_, fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(path), "earlier");
  EXPECT_EQ(EntryCount(folder_), 1);
}

// A write that fails half-way (here: beyond the file size limit) leaves
// neither a partial file nor a temporary one.
TEST_F(OutputFileTest, FailedWriteLeavesNoPartialFile) {
  const std::string path = PathOf("Book1.xml");
  WriteTextFile("earlier text", path);
  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    WriteTextFile(std::string(1000, 'x'), path);
  } catch (const std::runtime_error& error) {
    message = error.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  EXPECT_EQ(ReadBytes(path), "earlier text");
  EXPECT_EQ(EntryCount(folder_), 1);
}

TEST_F(OutputFileTest, IsFolderAnswersOnlyTrueForFolders) {
  WriteTextFile("x", PathOf("file.txt"));
  EXPECT_TRUE(IsFolder(folder_.string()));
  EXPECT_TRUE(IsFolder(folder_.string() + "/"));
  EXPECT_FALSE(IsFolder(PathOf("file.txt")));
  EXPECT_FALSE(IsFolder(PathOf("missing")));
  EXPECT_FALSE(IsFolder(PathOf("file.txt/below")));
  EXPECT_FALSE(IsFolder(""));
}

TEST(FileNameOfPathTest, PartAfterTheLastSeparator) {
  EXPECT_EQ(FileNameOfPath("/data/Book1.xlsx"), "Book1.xlsx");
  EXPECT_EQ(FileNameOfPath("Book1.xlsx"), "Book1.xlsx");
  EXPECT_EQ(FileNameOfPath("/data/"), "");
  EXPECT_EQ(FileNameOfPath(""), "");
  EXPECT_EQ(FileNameOfPath("/a.b/c"), "c");
}

TEST(OutputNameForTest, LastExtensionBecomesXml) {
  const std::pair<const char*, const char*> cases[] = {
      {"/data/Book1.xlsx", "Book1.xml"},
      {"/data/sales.2021.q1.xls", "sales.2021.q1.xml"},
      {"/other/Book1.xlsm", "Book1.xml"},
      {"/data/.hidden", ".xml"},
      {"/data/README", "README.xml"},
      {"/data.d/README", "README.xml"},
      {"/data/Book1.", "Book1.xml"},
      {"Book1.csv", "Book1.xml"},
  };
  for (auto [path, name] : cases) EXPECT_EQ(OutputNameFor(path), name) << path;
}

}  // namespace
}  // namespace kestrilo
