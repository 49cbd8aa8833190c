// SPDX-License-Identifier: MIT

#include "gui/common/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kestrilo::gui {
namespace {

QString& FolderOverride() {
  static QString folder;
  return folder;
}

}  // namespace

QString DataFolder() {
  if (!FolderOverride().isEmpty()) return FolderOverride();
  const QString program = QCoreApplication::applicationDirPath();
  const QString installed =
      QDir::cleanPath(program + QStringLiteral("/../share/kestrilo"));
  return QDir::toNativeSeparators(QFileInfo(installed).isDir() ? installed
                                                               : program);
}

QString DataFile(const QString& relative) {
  return DataFolder() + QDir::separator() + QDir::toNativeSeparators(relative);
}

void SetDataFolderForTesting(const QString& folder) {
  FolderOverride() = QDir::toNativeSeparators(folder);
}

}  // namespace kestrilo::gui
