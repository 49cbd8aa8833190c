// SPDX-License-Identifier: MIT

#include "engine/folder_scan/folder_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "engine/files/file_names.h"
#include "engine/folder_scan/folder_scan_order.h"
#include "engine/folder_scan/wildcard_match.h"

namespace kestrilo {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

enum class ReadResult { kDone, kUnreadable, kFailed };

bool MatchesAny(std::string_view name,
                const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [name](const std::string& pattern) {
                       return MatchesWildcard(name, pattern);
                     });
}

void Yield(const FolderScanHooks& hooks) {
  if (hooks.yield) hooks.yield();
}

void Report(const FolderScanHooks& hooks, const std::string& message) {
  if (hooks.report_error) hooks.report_error(message);
}

void ReportSkipped(const FolderScanHooks& hooks, const std::string& path,
                   const std::string& reason) {
  if (hooks.report_skipped) hooks.report_skipped(path + ": skipped: " + reason);
}

// A path the system cannot open: the scan cannot read below it, and a file
// there could not be converted.
bool IsTooLong(std::string_view path) { return path.size() >= kMaxScanPath; }

std::string TooLongReason() {
  return "the path is longer than the system allows (" +
         std::to_string(kMaxScanPath - 1) + " bytes)";
}

// The permission and path-not-found failures: such a folder is dropped from
// the list (and reported as skipped). A folder that turned into a file
// counts as not found.
bool IsUnreadableError(int error) {
  return error == EACCES || error == EPERM || error == ENOENT ||
         error == ENOTDIR;
}

std::string FailureText(const std::string& what, const std::string& path,
                        int error) {
  return what + " " + path + ": " + std::strerror(error);
}

enum class EntryKind { kOther, kFolder, kFolderLink };

// What a directory entry is, as far as the folder walk cares. Links are not
// followed, so a link back up the tree cannot loop; a link to a folder is
// told apart only to report it.
EntryKind KindOf(const std::string& folder, const dirent& entry) {
  const std::string_view name = entry.d_name;
  if (name == "." || name == "..") return EntryKind::kOther;
  if (entry.d_type == DT_DIR) return EntryKind::kFolder;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) {
    return EntryKind::kOther;
  }
  const std::string path = folder + entry.d_name;
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return EntryKind::kOther;
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(info.st_mode) && IsFolder(path)) {
    return EntryKind::kFolderLink;
  }
  return EntryKind::kOther;
}

// Reads the names of the real subfolders of `folder` into `names`, and
// reports links to folders as skipped.
ReadResult ReadSubfolderNames(const std::string& folder,
                              std::vector<std::string>& names,
                              const FolderScanHooks& hooks, int& error) {
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) {
    error = errno;
    return IsUnreadableError(error) ? ReadResult::kUnreadable
                                    : ReadResult::kFailed;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) break;
    const EntryKind kind = KindOf(folder, *entry);
    if (kind == EntryKind::kFolder) names.emplace_back(entry->d_name);
    if (kind == EntryKind::kFolderLink) {
      ReportSkipped(hooks, folder + entry->d_name,
                    "a link to a folder is not followed");
    }
  }
  error = errno;
  if (error == 0) return ReadResult::kDone;
  return IsUnreadableError(error) ? ReadResult::kUnreadable
                                  : ReadResult::kFailed;
}

// Appends the subfolders of `folder` to `found`, in the order of
// NaturalNameLess. Subfolders read before a failure stay.
ReadResult AppendSubfolders(const std::string& folder,
                            std::vector<std::string>& found,
                            const FolderScanHooks& hooks, int& error) {
  std::vector<std::string> names;
  const ReadResult result = ReadSubfolderNames(folder, names, hooks, error);
  std::sort(names.begin(), names.end(), NaturalNameLess);
  for (const std::string& name : names) {
    Yield(hooks);
    std::string path = folder + name + kPathSeparator;
    if (IsTooLong(path)) {
      ReportSkipped(hooks, folder + name, TooLongReason());
      continue;
    }
    found.push_back(std::move(path));
  }
  return result;
}

void RemoveFirst(std::vector<std::string>& list, const std::string& value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it != list.end()) list.erase(it);
}

// Scans the given folders one level deep into `found`, removing the ones
// that cannot be read from `folders`.
void ScanLevel(std::vector<std::string>& folders,
               std::vector<std::string>& found, const FolderScanHooks& hooks) {
  // The given entries as they were: unreadable ones are removed from
  // `folders` on the way.
  const std::vector<std::string> given = folders;
  for (const std::string& folder : given) {
    if (!IsFolder(folder)) continue;
    if (IsTooLong(folder)) {
      ReportSkipped(hooks, folder, TooLongReason());
      continue;
    }
    Yield(hooks);
    int error = 0;
    switch (AppendSubfolders(folder, found, hooks, error)) {
      case ReadResult::kDone:
        break;
      case ReadResult::kUnreadable:
        ReportSkipped(hooks, folder, std::strerror(error));
        RemoveFirst(folders, folder);
        break;
      case ReadResult::kFailed:
        Report(hooks, FailureText("Cannot read folder", folder, error));
        break;
    }
  }
}

// Why the scan leaves out a file whose name matches; nothing when it is
// added.
const char* SkipReason(const std::string& name, const std::string& path) {
  if (name.front() == '~') {
    return "its name begins with \"~\" (the lock file of an open workbook)";
  }
  if (!IsExistingFile(path)) return "not a regular file";
  if (IsWritableHiddenFile(path)) return "a hidden file";
  return nullptr;
}

}  // namespace

void ListSubfoldersBreadthFirst(std::vector<std::string>& folders, bool recurse,
                                const FolderScanHooks& hooks) {
  std::vector<std::string> found;
  ScanLevel(folders, found, hooks);
  if (recurse && !found.empty()) {
    ListSubfoldersBreadthFirst(found, true, hooks);
  }
  for (const std::string& folder : found) {
    if (!IsFolder(folder)) continue;
    Yield(hooks);
    folders.push_back(folder);
  }
}

std::vector<std::string> ListFilesInFolder(std::string folder,
                                           std::string_view pattern,
                                           const FolderScanHooks& hooks) {
  return ListFilesInFolder(
      std::move(folder), std::vector<std::string>{std::string(pattern)}, hooks);
}

std::vector<std::string> ListFilesInFolder(
    std::string folder, const std::vector<std::string>& patterns,
    const FolderScanHooks& hooks) {
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
    if (entry->d_type == DT_DIR || !MatchesAny(name, patterns)) continue;
    const std::string path = folder + std::string(name);
    if (IsTooLong(path)) {
      ReportSkipped(hooks, path, TooLongReason());
    } else if (IsExistingFile(path)) {
      names.emplace_back(name);
    } else if (!IsFolder(path)) {
      ReportSkipped(hooks, path, "not a regular file");
    }
  }
  if (const int error = errno; error != 0) {
    throw std::runtime_error(
        FailureText("Cannot list the files of folder", folder, error));
  }
  std::sort(names.begin(), names.end(), NaturalNameLess);
  return names;
}

bool IsExistingFile(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 &&
         S_ISREG(info.st_mode);
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
                                             std::string_view pattern,
                                             const FolderScanHooks& hooks) {
  return FilesOfListedFolder(
      entry, std::vector<std::string>{std::string(pattern)}, hooks);
}

std::vector<std::string> FilesOfListedFolder(
    const std::string& entry, const std::vector<std::string>& patterns,
    const FolderScanHooks& hooks) {
  // The entry without its trailing separator.
  const std::string folder =
      entry.substr(0, entry.empty() ? 0 : entry.size() - 1);
  std::vector<std::string> paths;
  for (const std::string& name : ListFilesInFolder(folder, patterns, hooks)) {
    const std::string path = folder + kPathSeparator + name;
    if (const char* reason = SkipReason(name, path)) {
      ReportSkipped(hooks, path, reason);
    } else {
      paths.push_back(CollapseDoubleSlashes(path));
    }
  }
  return paths;
}

std::vector<std::string> FilesInFolderTree(const std::string& folder,
                                           const std::string& extension,
                                           const FolderScanHooks& hooks) {
  return FilesInFolderTree(folder, std::vector<std::string>{extension}, hooks);
}

std::vector<std::string> FilesInFolderTree(
    const std::string& folder, const std::vector<std::string>& extensions,
    const FolderScanHooks& hooks) {
  std::vector<std::string> folders{folder + kPathSeparator};
  ListSubfoldersBreadthFirst(folders, true, hooks);
  std::vector<std::string> patterns;
  for (const std::string& extension : extensions) {
    patterns.push_back("*." + extension);
  }
  std::vector<std::string> paths;
  for (const std::string& entry : folders) {
    try {
      std::vector<std::string> files =
          FilesOfListedFolder(entry, patterns, hooks);
      paths.insert(paths.end(), files.begin(), files.end());
    } catch (const std::exception& failure) {
      Report(hooks, failure.what());
    }
  }
  return paths;
}

}  // namespace kestrilo
