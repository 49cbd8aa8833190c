// SPDX-License-Identifier: MIT

#pragma once

#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/folder_scan/folder_scan_hooks.h"

namespace kestrilo::gui {

class Dialogs;
class FileListModel;

/// The commands that fill and empty the file list: "Add Excel Files", "Add
/// All Excel Files In Folder", "Clear List", "Load Sample/Example Files",
/// and files dropped on the list or named on the command line. What a
/// folder scan or a drop leaves out is named in one message at its end.
class FileListCommands {
 public:
  /// `set_busy` marks the window busy while a folder scan runs; the list is
  /// locked then. The list and the dialogs must outlive this object.
  FileListCommands(FileListModel& list, Dialogs& dialogs,
                   std::function<void(bool)> set_busy);

  void AddFiles();
  void AddFolder();
  /// Empties the list, unless it is locked.
  void ClearList();
  /// Adds the sample workbooks not listed yet, then offers to open their
  /// folder.
  void LoadSamples();
  /// Files as they are, folders as every file in and below them; `paths`
  /// are path bytes.
  void AddDropped(const std::vector<std::string>& paths);
  /// Files and folders named on the command line, as paths (relative ones
  /// from the current folder) or file URLs, added as a drop adds them.
  void AddArguments(const std::vector<std::string>& arguments);

  /// What the folder scan calls between folders; by default the window's
  /// message loop runs there, so that a long scan can be watched.
  void SetYield(std::function<void()> yield);

 private:
  std::optional<QString> AskExtension();
  /// Hooks that collect what the scan leaves out into `skipped`.
  FolderScanHooks ScanHooks(std::vector<std::string>& skipped);
  void AppendTreeOf(const std::string& folder, const FolderScanHooks& hooks);
  void AppendFilesOf(const std::string& entry, const std::string& pattern,
                     const FolderScanHooks& hooks);
  void TellSkipped(const std::vector<std::string>& skipped);

  FileListModel& list_;
  Dialogs& dialogs_;
  std::function<void(bool)> set_busy_;
  std::function<void()> yield_;
};

}  // namespace kestrilo::gui
