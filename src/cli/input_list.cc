// SPDX-License-Identifier: MIT

#include "cli/input_list.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kestrilo::cli {

namespace {

std::runtime_error ListFailure(const std::string& source, int error) {
  const std::string name = source == "-" ? "standard input" : source;
  return std::runtime_error(
      name + ": cannot read the input list: " + std::strerror(error));
}

// The whole content of the descriptor; throws naming `source`.
std::string ReadAll(int fd, const std::string& source) {
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) return content;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ListFailure(source, errno);
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string ReadSource(const std::string& source) {
  if (source == "-") return ReadAll(STDIN_FILENO, source);
  const int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ListFailure(source, errno);
  try {
    std::string content = ReadAll(fd, source);
    close(fd);
    return content;
  } catch (...) {
    close(fd);
    throw;
  }
}

}  // namespace

std::vector<std::string> ReadInputList(const std::string& source,
                                       bool null_separated) {
  const std::string content = ReadSource(source);
  const char separator = null_separated ? '\0' : '\n';
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find(separator, start);
    if (end == std::string::npos) end = content.size();
    if (end > start) paths.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

}  // namespace kestrilo::cli
