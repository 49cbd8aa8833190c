// SPDX-License-Identifier: MIT

#include "gui/filelist/file_drop_target.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "gui/common/path_text.h"

namespace kestrilo::gui {
namespace {

std::vector<std::string> LocalPaths(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(LocalFileBytes(url));
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
  const std::vector<std::string> paths = LocalPaths(drop->mimeData());
  if (paths.empty()) {
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
