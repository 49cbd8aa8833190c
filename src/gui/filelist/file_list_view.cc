// SPDX-License-Identifier: MIT

#include "gui/filelist/file_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "gui/common/data_folder.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_drop_target.h"
#include "gui/filelist/file_list_model.h"

namespace kestrilo::gui {
namespace {

// The pointer while an entry is moved: "drag.ico" in the data folder, read
// afresh at every press so that a replaced image shows at once, or a
// pointer of our own when the image is missing or unreadable.
QCursor DragPointer() {
  const QPixmap image(DataFile(QStringLiteral("drag.ico")));
  if (image.isNull()) return QCursor(Qt::DragMoveCursor);
  return QCursor(image);
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
  connect(new FileDropTarget(viewport()), &FileDropTarget::FilesDropped, this,
          &FileListView::FilesDropped);
  setToolTip(Tr(texts::kFileListToolTip));
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

// The reorder: a press on an entry takes it up, each move over another
// entry swaps the two, the release ends it.
bool FileListView::viewportEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      drag_active_ = true;
      // The view's own handling selects the entry pressed first.
      const bool handled = QTreeView::viewportEvent(event);
      StartReorder(static_cast<QMouseEvent*>(event)->position().toPoint());
      return handled;
    }
    case QEvent::MouseMove:
      if (!drag_active_) break;
      // The view's own handling would move the selection and start its own
      // scrolling; the reorder takes its place while a button is down.
      ReorderStep(static_cast<QMouseEvent*>(event)->position().toPoint());
      return true;
    case QEvent::MouseButtonRelease:
      drag_active_ = false;
      // Back to the window's pointer: the arrow, or the hourglass.
      viewport()->unsetCursor();
      break;
    default:
      break;
  }
  return QTreeView::viewportEvent(event);
}

void FileListView::StartReorder(const QPoint& point) {
  if (!indexAt(point).isValid()) return;
  viewport()->setCursor(DragPointer());
  const int row = SelectedRow();
  drag_item_ = row >= 0 ? QPersistentModelIndex(model_.index(row))
                        : QPersistentModelIndex();
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

int FileListView::HeightForEntries(int count) const {
  // As the item delegate sizes an entry, whether or not one is listed.
  QStyleOptionViewItem option;
  option.initFrom(this);
  option.font = font();
  option.fontMetrics = fontMetrics();
  option.features = QStyleOptionViewItem::HasDisplay;
  option.text = QStringLiteral("X");
  const int entry =
      style()
          ->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this)
          .height();
  const int heading = isHeaderHidden() ? 0 : header()->sizeHint().height();
  return heading + count * entry + 2 * frameWidth();
}

}  // namespace kestrilo::gui
