#include "gui/shell/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace kestrilo {
namespace {

QString& FolderOverride() {
  static QString folder;
  return folder;
}

}  // namespace

QString ProgramFolder() {
  if (!FolderOverride().isEmpty()) return FolderOverride();
  return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

void SetProgramFolderForTesting(const QString& folder) {
  FolderOverride() = QDir::toNativeSeparators(folder);
}

}  // namespace kestrilo
