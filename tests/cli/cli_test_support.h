// SPDX-License-Identifier: MIT

#pragma once

// What the end-to-end tests of kestrilo-cli share: the outcome of one run
// of the built binary, and reading and writing the files around it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
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

/// In a child process: runs `program` with `args` in `cwd`, the descriptors
/// given as its standard input, output and error (-1: left as they are).
[[noreturn]] inline void ExecTool(const std::string& program,
                                  const std::vector<std::string>& args,
                                  const std::filesystem::path& cwd, int in_fd,
                                  int out_fd, int err_fd) {
  if (chdir(cwd.c_str()) != 0) _exit(127);
  if (in_fd >= 0) dup2(in_fd, STDIN_FILENO);
  if (out_fd >= 0) dup2(out_fd, STDOUT_FILENO);
  if (err_fd >= 0) dup2(err_fd, STDERR_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
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
  if (in_fd < 0 || out_fd < 0 || err_fd < 0) _exit(127);
  ExecTool(program, args, cwd, in_fd, out_fd, err_fd);
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

/// Whether `folder` holds a temporary file of the tool.
inline bool HasTemporaryFile(const std::filesystem::path& folder) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end;
       !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".tmp") return true;
  }
  return false;
}

/// Whether the tool has not ended yet; it stays waitable either way.
inline bool IsRunning(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

/// A moment's wait between two looks at what the tool has done.
inline void Pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

/// A named pipe the tool reads a csv from, held by the test: a workbook
/// read from it is under way for certain, and cannot finish, until the
/// test lets it.
class HeldPipe {
 public:
  explicit HeldPipe(std::filesystem::path path) : path_(std::move(path)) {
    std::filesystem::create_directories(path_.parent_path());
    EXPECT_EQ(mkfifo(path_.c_str(), 0600), 0) << path_;
  }
  ~HeldPipe() { Release(""); }

  /// Waits while the tool runs until it opens the pipe: its conversion of
  /// the pipe is under way from then on. False when the tool ended first.
  bool AwaitReader(pid_t pid) {
    while (fd_ < 0 && IsRunning(pid)) {
      fd_ = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd_ < 0) Pause();
    }
    return fd_ >= 0;
  }

  /// Writes `content` and closes the pipe: the conversion may finish.
  void Release(const std::string& content) {
    if (fd_ < 0) return;
    fcntl(fd_, F_SETFL, 0);
    // A reader that is gone must not end the test with SIGPIPE.
    auto* previous = signal(SIGPIPE, SIG_IGN);
    const ssize_t written [[maybe_unused]] =
        write(fd_, content.data(), content.size());
    signal(SIGPIPE, previous);
    close(fd_);
    fd_ = -1;
  }

 private:
  std::filesystem::path path_;
  int fd_ = -1;
};

}  // namespace kestrilo::cli::test_support
