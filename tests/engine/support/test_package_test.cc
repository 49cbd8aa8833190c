// SPDX-License-Identifier: MIT

#include "test_package.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kestrilo::testing_support {
namespace {

namespace fs = std::filesystem;

// CTest starts the tests of a program as separate processes and runs them
// side by side: two of them writing "test.ods" into one shared folder once
// made a reader test check the cells of another test's package.
TEST(TestPackageTest, EachProcessWritesIntoAFolderOfItsOwn) {
  const std::string mine = TestFilePath("test.ods");
  EXPECT_NE(fs::path(mine).parent_path(), fs::path(::testing::TempDir()));
  EXPECT_TRUE(fs::is_directory(fs::path(mine).parent_path()));

  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string theirs = TestFilePath("test.ods");
    const ssize_t written = ::write(pipe_ends[1], theirs.data(), theirs.size());
    ::_exit(written == static_cast<ssize_t>(theirs.size()) ? 0 : 1);
  }
  ::close(pipe_ends[1]);
  std::string theirs;
  char chunk[256];
  for (ssize_t n; (n = ::read(pipe_ends[0], chunk, sizeof chunk)) > 0;) {
    theirs.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(pipe_ends[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_FALSE(theirs.empty());
  EXPECT_NE(fs::path(theirs).parent_path(), fs::path(mine).parent_path());
  std::error_code ignored;
  fs::remove_all(fs::path(theirs).parent_path(), ignored);
}

TEST(TestPackageTest, PackagesOfOneProcessShareItsFolder) {
  const std::string path = WritePackage("a.zip", {{"x.txt", "x"}});
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::path(path).parent_path(),
            fs::path(TestFilePath("b.zip")).parent_path());
}

}  // namespace
}  // namespace kestrilo::testing_support
