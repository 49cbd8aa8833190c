#include "engine/folder_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "engine/wildcard_match.h"

namespace kestrilo {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

enum class ReadResult { kDone, kUnreadable, kFailed };

void Yield(const FolderScanHooks& hooks) {
  if (hooks.yield) hooks.yield();
}

void Report(const FolderScanHooks& hooks, const std::string& message) {
  if (hooks.report_error) hooks.report_error(message);
}

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Characters, not bytes: a name in another script is not penalised for
// taking several bytes per letter.
int CharacterCount(std::string_view text) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
    return !IsContinuationByte(static_cast<unsigned char>(c));
  }));
}

bool IsFolderPath(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

// The permission and path-not-found failures: such a folder is dropped from
// the list quietly. A folder that turned into a file counts as not found.
bool IsUnreadableError(int error) {
  return error == EACCES || error == EPERM || error == ENOENT ||
         error == ENOTDIR;
}

std::string FailureText(const std::string& what, const std::string& path,
                        int error) {
  return what + " " + path + ": " + std::strerror(error);
}

// A real subfolder: a directory entry that is a folder and not a symbolic
// link. Links are not followed, so a link back up the tree cannot loop.
bool IsRealSubfolder(const std::string& folder, const dirent& entry) {
  const std::string_view name = entry.d_name;
  if (name == "." || name == "..") return false;
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_UNKNOWN) return false;
  struct stat info;
  const std::string path = folder + entry.d_name;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsAcceptableFolderName(std::string_view name) {
  return CharacterCount(name) < kMaxScanNameLength &&
         !HasInvalidNameChars(name) &&
         name.find('?') == std::string_view::npos && name != "." &&
         name != "..";
}

// Appends the acceptable subfolders of `folder` to `found`. Subfolders
// appended before a failure stay.
ReadResult AppendSubfolders(const std::string& folder,
                            std::vector<std::string>& found,
                            const FolderScanHooks& hooks,
                            std::string& failure) {
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) {
    const int error = errno;
    if (IsUnreadableError(error)) return ReadResult::kUnreadable;
    failure = FailureText("Cannot read folder", folder, error);
    return ReadResult::kFailed;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) break;
    if (!IsRealSubfolder(folder, *entry)) continue;
    Yield(hooks);
    const std::string_view name = entry->d_name;
    if (!IsAcceptableFolderName(name)) continue;
    found.push_back(folder + std::string(name) + kPathSeparator);
  }
  const int error = errno;
  if (error == 0) return ReadResult::kDone;
  if (IsUnreadableError(error)) return ReadResult::kUnreadable;
  failure = FailureText("Cannot read folder", folder, error);
  return ReadResult::kFailed;
}

void RemoveFirst(std::vector<std::string>& list, const std::string& value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it != list.end()) list.erase(it);
}

// Decodes one UTF-8 character at `i`; returns -1 for a malformed sequence.
long DecodeCharacter(std::string_view text, size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int length = 0;
  long code = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 1;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 2;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 3;
    code = lead & 0x07;
  } else {
    return -1;
  }
  for (int k = 0; k < length; ++k) {
    if (i >= text.size()) return -1;
    const auto next = static_cast<unsigned char>(text[i]);
    if (!IsContinuationByte(next)) return -1;
    code = (code << 6) | (next & 0x3F);
    ++i;
  }
  static constexpr long kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return -1;
  }
  return code;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    if (DecodeCharacter(text, i) < 0) return false;
  }
  return true;
}

}  // namespace

void ListSubfoldersBreadthFirst(std::vector<std::string>& folders, bool recurse,
                                const FolderScanHooks& hooks) {
  std::vector<std::string> found;
  // The given entries as they were: unreadable ones are removed from
  // `folders` on the way.
  const std::vector<std::string> given = folders;
  for (const std::string& folder : given) {
    if (!IsFolderPath(folder)) continue;
    if (CharacterCount(folder) >= kMaxScanNameLength) continue;
    Yield(hooks);
    std::string failure;
    switch (AppendSubfolders(folder, found, hooks, failure)) {
      case ReadResult::kDone:
        break;
      case ReadResult::kUnreadable:
        RemoveFirst(folders, folder);
        break;
      case ReadResult::kFailed:
        Report(hooks, failure);
        break;
    }
  }
  if (recurse && !found.empty()) ListSubfoldersBreadthFirst(found, true, hooks);
  for (const std::string& folder : found) {
    if (!IsFolderPath(folder)) continue;
    Yield(hooks);
    folders.push_back(folder);
  }
}

std::vector<std::string> ListFilesInFolder(std::string folder,
                                           std::string_view pattern) {
  if (folder.empty() || folder.back() != kPathSeparator) {
    folder += kPathSeparator;
  }
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) {
    const int error = errno;
    // A directory search in a missing folder simply finds nothing.
    if (error == ENOENT || error == ENOTDIR) return {};
    throw std::runtime_error(
        FailureText("Cannot list the files of folder", folder, error));
  }
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) break;
    const std::string_view name = entry->d_name;
    if (entry->d_type == DT_DIR || !MatchesWildcard(name, pattern)) continue;
    if (IsExistingFile(folder + std::string(name))) names.emplace_back(name);
  }
  if (const int error = errno; error != 0) {
    throw std::runtime_error(
        FailureText("Cannot list the files of folder", folder, error));
  }
  return names;
}

bool IsExistingFile(const std::string& path) {
  struct stat info;
  return !path.empty() && IsValidUtf8(path) && stat(path.c_str(), &info) == 0 &&
         S_ISREG(info.st_mode);
}

bool HasInvalidNameChars(std::string_view name) {
  size_t i = 0;
  while (i < name.size()) {
    const long code = DecodeCharacter(name, i);
    if (code < 32 || (code >= 127 && code <= 159) || code == '?') return true;
  }
  return false;
}

std::string CollapseDoubleSlashes(std::string_view path) {
  std::string result;
  result.reserve(path.size());
  size_t i = 0;
  if (!path.empty() && path[0] == kPathSeparator) {
    while (i < path.size() && path[i] == kPathSeparator) ++i;
    result += kPathSeparator;
  }
  while (i < path.size()) {
    if (path[i] == kPathSeparator && i + 1 < path.size() &&
        path[i + 1] == kPathSeparator) {
      result += kPathSeparator;
      i += 2;
    } else {
      result += path[i++];
    }
  }
  return result;
}

bool IsWritableHiddenFile(const std::string& path) {
  const size_t slash = path.rfind(kPathSeparator);
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (start >= path.size() || path[start] != '.') return false;
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         (info.st_mode & S_IWUSR) != 0;
}

std::vector<std::string> FilesOfListedFolder(const std::string& entry,
                                             std::string_view pattern) {
  // The entry without its trailing separator.
  const std::string folder =
      entry.substr(0, entry.empty() ? 0 : entry.size() - 1);
  std::vector<std::string> paths;
  for (const std::string& name : ListFilesInFolder(folder, pattern)) {
    if (name.front() == '~') continue;
    const std::string path = folder + kPathSeparator + name;
    if (IsExistingFile(path) && !IsWritableHiddenFile(path)) {
      paths.push_back(CollapseDoubleSlashes(path));
    }
  }
  return paths;
}

std::vector<std::string> FilesInFolderTree(const std::string& folder,
                                           const std::string& extension,
                                           const FolderScanHooks& hooks) {
  std::vector<std::string> folders{folder + kPathSeparator};
  ListSubfoldersBreadthFirst(folders, true, hooks);
  const std::string pattern = "*." + extension;
  std::vector<std::string> paths;
  for (const std::string& entry : folders) {
    try {
      std::vector<std::string> files = FilesOfListedFolder(entry, pattern);
      paths.insert(paths.end(), files.begin(), files.end());
    } catch (const std::exception& failure) {
      Report(hooks, failure.what());
    }
  }
  return paths;
}

}  // namespace kestrilo
