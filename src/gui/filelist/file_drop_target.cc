#include "gui/filelist/file_drop_target.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace kestrilo::gui {
namespace {

QStringList LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths << QDir::toNativeSeparators(url.toLocalFile());
  }
  return paths;
}

}  // namespace

FileDropTarget::FileDropTarget(QWidget* widget) : QObject(widget) {
  widget->setAcceptDrops(true);
  widget->installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject* /*watched*/, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove &&
      type != QEvent::Drop) {
    return false;
  }
  // Enter, move and drop events are all drop events.
  auto* drop = static_cast<QDropEvent*>(event);
  const QStringList paths = LocalPaths(drop->mimeData());
  if (paths.isEmpty()) {
    drop->ignore();
    return true;
  }
  drop->acceptProposedAction();
  if (type == QEvent::Drop) {
    QMetaObject::invokeMethod(
        this, [this, paths] { emit FilesDropped(paths); },
        Qt::QueuedConnection);
  }
  return true;
}

}  // namespace kestrilo::gui
