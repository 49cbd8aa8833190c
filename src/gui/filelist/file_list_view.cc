#include "gui/filelist/file_list_view.h"

#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QUrl>
#include <stdexcept>
#include <utility>

#include "gui/shell/program_folder.h"

namespace kestrilo {
namespace {

constexpr char kToolTip[] =
    "Drag and drop files here. Double-click item to remove it. Move | line to "
    "right and out of window to reveal full names.";

// The pointer while an entry is moved: "drag.ico" beside the program, read
// afresh at every press so that a replaced image shows at once, or a
// pointer of our own when the image is missing or unreadable.
QCursor DragPointer() {
  const QPixmap image(ProgramFolder() + QDir::separator() +
                      QStringLiteral("drag.ico"));
  if (image.isNull()) return QCursor(Qt::DragMoveCursor);
  return QCursor(image);
}

// The local files and folders of a drag, in its order.
QStringList LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths << QDir::toNativeSeparators(url.toLocalFile());
  }
  return paths;
}

}  // namespace

FileListView::FileListView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  setHeaderLabels({QStringLiteral("Excel File(s)")});
  header()->setStretchLastSection(false);
  header()->resizeSection(0, kColumnTwips * logicalDpiX() / 1440);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Entries are moved by our own reorder, never by an outgoing drag.
  setDragEnabled(false);
  setAcceptDrops(true);
  setToolTip(QString::fromLatin1(kToolTip));
}

void FileListView::Append(const QString& path) {
  auto* item = new QTreeWidgetItem(this);
  item->setText(0, path);
}

int FileListView::Count() const { return topLevelItemCount(); }

QString FileListView::Text(int position) const {
  const QTreeWidgetItem* item = topLevelItem(position - 1);
  if (item == nullptr) throw std::out_of_range("no such list entry");
  return item->text(0);
}

void FileListView::SetText(int position, const QString& text) {
  QTreeWidgetItem* item = topLevelItem(position - 1);
  if (item == nullptr) throw std::out_of_range("no such list entry");
  item->setText(0, text);
}

void FileListView::Remove(int position) {
  QTreeWidgetItem* item = takeTopLevelItem(position - 1);
  ForgetDragItemIf(item);
  delete item;
}

void FileListView::Clear() {
  drag_item_ = nullptr;
  clear();
}

int FileListView::SelectedPosition() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? 0 : PositionOf(selected.first());
}

void FileListView::Select(int position) {
  QTreeWidgetItem* item = topLevelItem(position - 1);
  if (item == nullptr) throw std::out_of_range("no such list entry");
  setCurrentItem(item);
}

void FileListView::ScrollIntoView(int position) {
  QTreeWidgetItem* item = topLevelItem(position - 1);
  if (item != nullptr) scrollToItem(item, QAbstractItemView::EnsureVisible);
}

int FileListView::HitTest(const QPoint& point) const {
  return PositionOf(itemAt(point));
}

void FileListView::SetBusyTest(std::function<bool()> is_busy) {
  is_busy_ = std::move(is_busy);
}

void FileListView::RemoveSelected() {
  if (IsBusy()) return;
  if (Count() == 0) return;
  const int position = SelectedPosition();
  if (position > 0) Remove(position);
}

int FileListView::DragItemPosition() const { return PositionOf(drag_item_); }

bool FileListView::IsBusy() const { return is_busy_ && is_busy_(); }

int FileListView::PositionOf(const QTreeWidgetItem* item) const {
  if (item == nullptr) return 0;
  return indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) + 1;
}

void FileListView::ForgetDragItemIf(const QTreeWidgetItem* item) {
  if (item != nullptr && item == drag_item_) drag_item_ = nullptr;
}

void FileListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    RemoveSelected();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click of the pair already selected the entry.
  event->accept();
  RemoveSelected();
}

void FileListView::mousePressEvent(QMouseEvent* event) {
  drag_active_ = true;
  QTreeWidget::mousePressEvent(event);
  if (itemAt(event->position().toPoint()) != nullptr) StartReorder();
}

void FileListView::StartReorder() {
  viewport()->setCursor(DragPointer());
  const QList<QTreeWidgetItem*> selected = selectedItems();
  drag_item_ = selected.isEmpty() ? nullptr : selected.first();
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_active_) {
    QTreeWidget::mouseMoveEvent(event);
    return;
  }
  // The view's own handling would move the selection and start its own
  // scrolling; the reorder takes its place while a button is down.
  event->accept();
  ReorderStep(event->position().toPoint());
}

void FileListView::ReorderStep(const QPoint& point) {
  QTreeWidgetItem* under = itemAt(point);
  if (under == nullptr || drag_item_ == nullptr) return;
  if (under->text(0) == drag_item_->text(0)) return;
  const QString kept = drag_item_->text(0);
  drag_item_->setText(0, under->text(0));
  under->setText(0, kept);
  setCurrentItem(under);
  drag_item_ = under;
  AutoScroll(point.y(), PositionOf(under));
}

// Near the top or bottom edge of the visible area (within one row), the
// neighbour in that direction is scrolled into view, so an entry can be
// dragged beyond what the list shows.
void FileListView::AutoScroll(int y, int position) {
  const int margin =
      qMax(8, visualItemRect(topLevelItem(position - 1)).height());
  if (y < margin && position > 1) {
    ScrollIntoView(position - 1);
  } else if (y >= viewport()->height() - margin && position + 1 <= Count()) {
    ScrollIntoView(position + 1);
  }
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
  drag_active_ = false;
  // Back to the window's pointer: the arrow, or the hourglass while busy.
  viewport()->unsetCursor();
  QTreeWidget::mouseReleaseEvent(event);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
  if (LocalPaths(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
  if (LocalPaths(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

void FileListView::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalPaths(event->mimeData());
  if (paths.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // The drop is acknowledged at once; the scan of dropped folders, which
  // lets the window run its message loop, starts after the drag source has
  // been told that the drop is done.
  QMetaObject::invokeMethod(
      this, [this, paths] { emit FilesDropped(paths); }, Qt::QueuedConnection);
}

}  // namespace kestrilo
