#pragma once

#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/folder_scan_hooks.h"

namespace kestrilo {

class Dialogs;
class FileListView;
class HandlerGuard;

/// The commands that fill and empty the file list: "Add Excel Files", "Add
/// All Excel Files In Folder", "Clear List", "Load Sample/Example Files" and
/// files dropped on the list. The main window only wires its buttons to
/// them.
class FileListCommands {
 public:
  /// `is_busy` and `set_busy` are the window's busy mark (the hourglass).
  /// The list also learns `is_busy`, and its drops are handled here. All
  /// references must outlive this object.
  FileListCommands(FileListView& list, Dialogs& dialogs,
                   std::function<bool()> is_busy,
                   std::function<void(bool)> set_busy);
  ~FileListCommands();
  FileListCommands(const FileListCommands&) = delete;
  FileListCommands& operator=(const FileListCommands&) = delete;

  /// "Load Sample/Example Files".
  void PushButton1_Click();
  /// "Add All Excel Files In Folder".
  void PushButton5_Click();
  /// "Add Excel Files".
  void PushButton6_Click();
  /// "Clear List".
  void PushButton7_Click();
  /// Files and folders dropped on the list: files as they are, folders as
  /// every file in and below them.
  void ListView1_OLEDragDrop(const QStringList& paths);

  /// What the folder scan calls between folders; by default the window's
  /// message loop runs there.
  void SetYield(std::function<void()> yield);

 private:
  std::optional<QString> AskExtension();
  FolderScanHooks ScanHooks();
  std::vector<std::string> ScanFolder(const QString& folder);
  void AppendFilesOf(const std::string& entry, const std::string& pattern);

  FileListView& list_;
  Dialogs& dialogs_;
  std::function<bool()> is_busy_;
  std::function<void(bool)> set_busy_;
  std::function<void()> yield_;
  QMetaObject::Connection drops_;
};

}  // namespace kestrilo
