// SPDX-License-Identifier: MIT

#pragma once

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/folder_scan/folder_scan_hooks.h"

namespace kestrilo {

/// The separator of the folder list and of composed paths. It takes the
/// place that the backslash has on Windows.
inline constexpr char kPathSeparator = '/';

/// Paths this long (in bytes) or longer are left out of a folder scan, and
/// reported: the system cannot open them.
inline constexpr std::size_t kMaxScanPath = PATH_MAX;

/// Walks the folder tree below the folders in `folders` (each ending with
/// "/") and appends every folder found, level by level: first the
/// subfolders of the given folders, each folder's subfolders sorted by
/// NaturalNameLess, then the next level down, and so on. Names are bytes:
/// any name the system allows is kept, UTF-8 or not.
///
/// Left out, and reported to `hooks.report_skipped`: folders met inside the
/// tree that are symbolic links (a given folder is scanned even when it is
/// a link), paths of kMaxScanPath bytes or more, and folders that cannot be
/// read (permission denied, or gone), which are removed from `folders` when
/// given. A given path that is not a folder stays in the list unscanned.
/// Other failures go to `hooks.report_error` and the scan goes on.
/// `hooks.yield` is called before each folder is read, before each
/// subfolder and before each found folder is taken over. With `recurse`
/// false only one level is added.
void ListSubfoldersBreadthFirst(std::vector<std::string>& folders, bool recurse,
                                const FolderScanHooks& hooks = {});

/// The names (without the folder) of the regular files in `folder` that match
/// the directory-search `pattern` (see MatchesWildcard), hidden ones
/// included, sorted by NaturalNameLess. Matching names that are neither
/// folders nor regular files (devices, dangling links), or whose paths are
/// too long, go to `hooks.report_skipped`. A missing folder has no files;
/// any other failure to list the folder (permission denied...) throws
/// std::runtime_error naming the folder.
std::vector<std::string> ListFilesInFolder(std::string folder,
                                           std::string_view pattern,
                                           const FolderScanHooks& hooks = {});

/// As above, for the names that match any of `patterns`, each name once.
std::vector<std::string> ListFilesInFolder(
    std::string folder, const std::vector<std::string>& patterns,
    const FolderScanHooks& hooks = {});

/// True when `path` names an existing regular file (links followed);
/// false for folders, devices, missing paths and on any trouble.
bool IsExistingFile(const std::string& path);

/// Removes doubled separators from a composed path: a leading run of
/// separators becomes exactly one (the root), and elsewhere every pair
/// "//" becomes "/", pairs taken left to right without overlap, so a run of
/// three becomes two and a run of four becomes two.
std::string CollapseDoubleSlashes(std::string_view path);

/// The files that the folder scan adds from one folder-list entry (a folder
/// ending with "/"): the names matching `pattern`, except names beginning
/// with "~" (lock files of open workbooks) and hidden files that are
/// ordinary writable files (see IsWritableHiddenFile), each as the cleaned
/// full path; what it leaves out goes to `hooks.report_skipped`. Throws
/// std::runtime_error when the folder cannot be listed.
std::vector<std::string> FilesOfListedFolder(const std::string& entry,
                                             std::string_view pattern,
                                             const FolderScanHooks& hooks = {});

/// As above, for the names that match any of `patterns`.
std::vector<std::string> FilesOfListedFolder(
    const std::string& entry, const std::vector<std::string>& patterns,
    const FolderScanHooks& hooks = {});

/// True for a file the scan leaves out as "hidden and nothing else": a name
/// beginning with "." whose owner may write it. A read-only hidden file is
/// still added.
bool IsWritableHiddenFile(const std::string& path);

/// Every file that "Add All Excel Files In Folder" adds for `folder` and
/// `extension` ("xl*", "*", "txt"...: the pattern is "*." + extension), in
/// the order it adds them: the folder's own files first, then those of each
/// folder of the breadth-first scan. A folder whose files cannot be listed
/// goes to `hooks.report_error` and the others are still listed.
std::vector<std::string> FilesInFolderTree(const std::string& folder,
                                           const std::string& extension,
                                           const FolderScanHooks& hooks = {});

/// As above for several extensions at once: a file matching any of them is
/// added once, in the same folder order, so that a folder of mixed formats
/// takes one scan.
std::vector<std::string> FilesInFolderTree(
    const std::string& folder, const std::vector<std::string>& extensions,
    const FolderScanHooks& hooks = {});

}  // namespace kestrilo
