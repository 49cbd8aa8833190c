#include "gui/filelist/file_list_view.h"

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

#include "gui/common/data_folder.h"
#include "gui/filelist/file_list_model.h"

namespace kestrilo::gui {
namespace {

constexpr char kToolTip[] =
    "Drag and drop files here. Double-click item to remove it. Hover over an "
    "item to see its full name.";

// The pointer while an entry is moved: "drag.ico" in the data folder, read
// afresh at every press so that a replaced image shows at once, or a
// pointer of our own when the image is missing or unreadable.
QCursor DragPointer() {
  const QPixmap image(DataFile(QStringLiteral("drag.ico")));
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

// Only a drag that brings local files or folders may be dropped here.
void AcceptLocalFiles(QDropEvent& event) {
  if (LocalPaths(event.mimeData()).isEmpty()) {
    event.ignore();
  } else {
    event.acceptProposedAction();
  }
}

}  // namespace

FileListView::FileListView(FileListModel& model, QWidget* parent)
    : QTreeView(parent), model_(model) {
  setModel(&model_);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setTextElideMode(Qt::ElideMiddle);
  header()->setStretchLastSection(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Entries are moved by our own reorder, never by an outgoing drag.
  setDragEnabled(false);
  setAcceptDrops(true);
  setToolTip(QString::fromLatin1(kToolTip));
}

void FileListView::RemoveSelected() {
  const int row = SelectedRow();
  if (row >= 0) model_.Remove(row);
}

int FileListView::SelectedRow() const {
  const QModelIndexList selected = selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void FileListView::Select(int row) { setCurrentIndex(model_.index(row)); }

int FileListView::drag_row() const {
  return drag_item_.isValid() ? drag_item_.row() : -1;
}

void FileListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    RemoveSelected();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click of the pair already selected the entry.
  event->accept();
  RemoveSelected();
}

void FileListView::mousePressEvent(QMouseEvent* event) {
  drag_active_ = true;
  QTreeView::mousePressEvent(event);
  if (!indexAt(event->position().toPoint()).isValid()) return;
  viewport()->setCursor(DragPointer());
  const int row = SelectedRow();
  drag_item_ = row >= 0 ? QPersistentModelIndex(model_.index(row))
                        : QPersistentModelIndex();
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_active_) {
    QTreeView::mouseMoveEvent(event);
    return;
  }
  // The view's own handling would move the selection and start its own
  // scrolling; the reorder takes its place while a button is down.
  event->accept();
  ReorderStep(event->position().toPoint());
}

void FileListView::ReorderStep(const QPoint& point) {
  const QModelIndex under = indexAt(point);
  if (!under.isValid() || !drag_item_.isValid()) return;
  const int from = drag_item_.row();
  if (model_.Path(under.row()) == model_.Path(from)) return;
  if (!model_.Swap(from, under.row())) return;
  setCurrentIndex(under);
  drag_item_ = QPersistentModelIndex(under);
  AutoScroll(point.y(), under.row());
}

// Near the top or bottom edge of the visible area (within one row), the
// neighbour in that direction is scrolled into view, so an entry can be
// dragged beyond what the list shows.
void FileListView::AutoScroll(int y, int row) {
  const int margin = qMax(8, visualRect(model_.index(row)).height());
  if (y < margin && row > 0) {
    scrollTo(model_.index(row - 1));
  } else if (y >= viewport()->height() - margin && row + 1 < model_.Count()) {
    scrollTo(model_.index(row + 1));
  }
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
  drag_active_ = false;
  // Back to the window's pointer: the arrow, or the hourglass while busy.
  viewport()->unsetCursor();
  QTreeView::mouseReleaseEvent(event);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
  AcceptLocalFiles(*event);
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
  AcceptLocalFiles(*event);
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

}  // namespace kestrilo::gui
