// SPDX-License-Identifier: MIT

#pragma once

// What the end-to-end tests of kestrilo-cli share: the outcome of one run
// of the built binary, and reading and writing the files around it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kestrilo::cli::test_support {

/// The exit status (-1 when the tool did not exit normally) and what the
/// tool wrote to standard output and standard error.
struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteFile(const std::filesystem::path& path,
                      const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

/// A workbook or expected output of the command-line fixtures.
inline std::filesystem::path Fixture(const std::string& name) {
  return std::filesystem::path(KESTRILO_FIXTURES_DIR) / "cli" / name;
}

// Starts `program` with `args` in `cwd`, standard input from `in` (or
// /dev/null), standard output and error into the files `out` and `err`.
inline pid_t Start(const std::string& program,
                   const std::vector<std::string>& args,
                   const std::filesystem::path& cwd,
                   const std::filesystem::path& in,
                   const std::filesystem::path& out,
                   const std::filesystem::path& err) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int in_fd = open(in.empty() ? "/dev/null" : in.c_str(), O_RDONLY);
  const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in_fd < 0 || out_fd < 0 || err_fd < 0 || chdir(cwd.c_str()) != 0) {
    _exit(127);
  }
  dup2(in_fd, STDIN_FILENO);
  dup2(out_fd, STDOUT_FILENO);
  dup2(err_fd, STDERR_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

inline int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// A folder of the running test's own, made empty and removed with it.
class ToolFolder {
 public:
  explicit ToolFolder(const std::string& kind) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("kestrilo_" + kind + "_" + info->name() + "_" +
             std::to_string(getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ToolFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ToolFolder(const ToolFolder&) = delete;
  ToolFolder& operator=(const ToolFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

/// Runs kestrilo-cli in `folder` with `args` and no standard input.
inline Outcome RunToolIn(const std::filesystem::path& folder,
                         const std::vector<std::string>& args) {
  Outcome outcome;
  outcome.status = Wait(
      Start(KESTRILO_CLI, args, folder, "", folder / ".out", folder / ".err"));
  outcome.out = ReadFile(folder / ".out");
  outcome.err = ReadFile(folder / ".err");
  std::filesystem::remove(folder / ".out");
  std::filesystem::remove(folder / ".err");
  return outcome;
}

}  // namespace kestrilo::cli::test_support
