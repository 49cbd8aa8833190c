// SPDX-License-Identifier: MIT

#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>
#include <string>
#include <vector>

namespace kestrilo::gui {

class FileListModel;

/// The file list as the user sees and edits it: one column of paths, long
/// ones elided in the middle so that the file name always shows. Delete or
/// a double-click removes the selected entry; pressing on an entry and
/// dragging over others moves it there one swap at a time; files and
/// folders dropped from a file manager are handed on through FilesDropped.
/// While the model is locked, removing and moving do nothing.
class FileListView : public QTreeView {
  Q_OBJECT

 public:
  explicit FileListView(FileListModel& model, QWidget* parent = nullptr);

  FileListModel& list() const { return model_; }

  /// Removes the selected entry, unless the list is locked or nothing is
  /// selected.
  void RemoveSelected();
  /// The 0-based row of the selected entry; -1 when none is selected.
  int SelectedRow() const;
  /// Gives the selection to the entry at `row`.
  void Select(int row);

  /// The height the list needs to show `count` entries whole, with its
  /// header and frame.
  int HeightForEntries(int count) const;

  /// The reorder state: a button is down over the list.
  bool drag_active() const { return drag_active_; }
  /// The 0-based row of the entry being moved; -1 when none.
  int drag_row() const;

 signals:
  /// Local files and folders dropped on the list, in the drag source's
  /// order (see FileDropTarget).
  void FilesDropped(const std::vector<std::string>& paths);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void StartReorder(const QPoint& point);
  void ReorderStep(const QPoint& point);
  void AutoScroll(int y, int row);

  FileListModel& model_;
  bool drag_active_ = false;
  // The entry being moved. It outlives the button's release and is
  // forgotten when its entry is removed or the list is cleared.
  QPersistentModelIndex drag_item_;
};

}  // namespace kestrilo::gui
