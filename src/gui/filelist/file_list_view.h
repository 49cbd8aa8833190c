#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <functional>

class QTreeWidgetItem;

namespace kestrilo {

/// ListView1: the ordered list of input files, one full path per entry,
/// shown in one column. Entries may repeat; the order is the export order.
///
/// The user edits it directly: Delete or a double-click removes the selected
/// entry (not while the window is busy), and pressing on an entry and
/// dragging over others moves it there one swap at a time. Files and
/// folders dropped from a file manager are handed on through FilesDropped.
class FileListView : public QTreeWidget {
  Q_OBJECT

 public:
  /// The column's width in twips (1/1440 inch).
  static constexpr int kColumnTwips = 7000;

  explicit FileListView(QWidget* parent = nullptr);

  /// Appends an entry at the end.
  void Append(const QString& path);
  int Count() const;
  /// The text of the entry at a 1-based position.
  QString Text(int position) const;
  void SetText(int position, const QString& text);
  /// Removes the entry at a 1-based position.
  void Remove(int position);
  void Clear();

  /// The 1-based position of the entry that carries the selection; 0 when
  /// none does.
  int SelectedPosition() const;
  /// Gives the selection to the entry at a 1-based position.
  void Select(int position);
  /// Scrolls as little as needed to show the entry at a 1-based position.
  void ScrollIntoView(int position);
  /// The 1-based position of the entry under a point of the list's visible
  /// area (viewport coordinates); 0 when there is none.
  int HitTest(const QPoint& point) const;

  /// How the list learns whether the window is busy; until set, it never is.
  void SetBusyTest(std::function<bool()> is_busy);
  /// Removes the selected entry, unless the window is busy, the list is
  /// empty or nothing is selected.
  void RemoveSelected();

  /// The reorder state: a button is down over the list.
  bool drag_active() const { return drag_active_; }
  /// The 1-based position of the entry being moved; 0 when none.
  int DragItemPosition() const;

 signals:
  /// Local files and folders dropped on the list, in the drag source's
  /// order. Sent from the event loop just after the drop.
  void FilesDropped(const QStringList& paths);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool IsBusy() const;
  int PositionOf(const QTreeWidgetItem* item) const;
  void StartReorder();
  void ReorderStep(const QPoint& point);
  void AutoScroll(int y, int position);
  void ForgetDragItemIf(const QTreeWidgetItem* item);

  std::function<bool()> is_busy_;
  bool drag_active_ = false;
  // The entry being moved. It outlives the button's release and is only
  // forgotten when its entry is removed or the list is cleared.
  QTreeWidgetItem* drag_item_ = nullptr;
};

}  // namespace kestrilo
