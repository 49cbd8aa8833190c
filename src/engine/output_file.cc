#include "engine/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kestrilo {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

[[noreturn]] void Fail(const std::string& path, const std::string& what,
                       int error) {
  throw std::runtime_error("Cannot write \"" + path + "\": " + what + ": " +
                           std::strerror(error));
}

std::string FolderOf(const std::string& path) {
  const std::size_t last = path.find_last_of(kSeparators);
  if (last == std::string::npos) return ".";
  if (last == 0) return path.substr(0, 1);
  return path.substr(0, last);
}

// Writes all of `text` to `fd`, retrying short writes and interruptions.
// Returns 0 or the errno of the failure.
int WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Creates a new, empty file beside `path` under a name no one else uses;
// it gets the permissions of any new file (0666 less the umask). Returns
// the descriptor, or -1 with errno set.
int CreateTemporaryBeside(const std::string& path, std::string& temp) {
  static std::atomic<unsigned> counter{0};
  const std::string stem = FolderOf(path) + "/." +
                           FileNameOfPath(path).substr(0, 100) + "." +
                           std::to_string(::getpid()) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = stem + std::to_string(counter++) + ".tmp";
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

void WriteTextFile(std::string_view text, const std::string& path) {
  if (path.empty()) Fail(path, "no file name given", ENOENT);
  std::string temp;
  const int fd = CreateTemporaryBeside(path, temp);
  if (fd < 0) Fail(path, "cannot create a file in its folder", errno);
  const char* step = "writing failed";
  int error = WriteAll(fd, text);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) {
    error = errno;
    step = "cannot replace the file";
  }
  if (error != 0) {
    ::unlink(temp.c_str());
    Fail(path, step, error);
  }
}

std::string FileNameOfPath(std::string_view path) {
  const std::size_t last = path.find_last_of(kSeparators);
  if (last == std::string_view::npos) return std::string(path);
  return std::string(path.substr(last + 1));
}

bool IsFolder(const std::string& path) {
  if (path.empty()) return false;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode);
}

std::string OutputNameFor(std::string_view workbook_path) {
  std::string name = FileNameOfPath(workbook_path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name + ".xml";
}

}  // namespace kestrilo
