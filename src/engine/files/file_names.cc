// SPDX-License-Identifier: MIT

#include "engine/files/file_names.h"

#include <sys/stat.h>

namespace kestrilo {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

}  // namespace

std::string FileNameOfPath(std::string_view path) {
  const std::size_t last = path.find_last_of(kSeparators);
  if (last == std::string_view::npos) return std::string(path);
  return std::string(path.substr(last + 1));
}

std::string FolderOfPath(const std::string& path) {
  const std::size_t last = path.find_last_of(kSeparators);
  if (last == std::string::npos) return ".";
  if (last == 0) return path.substr(0, 1);
  return path.substr(0, last);
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
