#include "gui/shell/shell_utilities.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <stdexcept>

#include "gui/filelist/file_list_view.h"

namespace kestrilo {

QString DesktopFolderPath() {
  QString desktop =
      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  // Many Linux accounts have no desktop folder although the platform names
  // one; the home folder is then the place the user finds the files.
  if (!desktop.isEmpty() && !QFileInfo(desktop).isDir()) {
    desktop = QDir::homePath();
  }
  if (desktop.isEmpty()) {
    throw std::invalid_argument("The desktop folder could not be found.");
  }
  QString path = QDir::toNativeSeparators(desktop);
  if (!path.endsWith(QDir::separator())) path += QDir::separator();
  return path;
}

bool PathExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  return info.exists() && info.lastModified().isValid();
}

bool ListHasItem(const FileListView& list, const QString& text) {
  const int count = list.Count();
  for (int position = 1; position <= count; ++position) {
    if (list.Text(position) == text) return true;
  }
  return false;
}

}  // namespace kestrilo
