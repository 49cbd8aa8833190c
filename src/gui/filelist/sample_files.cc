#include "gui/filelist/sample_files.h"

#include <QDir>
#include <QFile>

#include "engine/folder_scan.h"
#include "gui/filelist/file_list_view.h"
#include "gui/shell/dialogs.h"
#include "gui/shell/program_folder.h"
#include "gui/shell/shell_utilities.h"

namespace kestrilo {
namespace {

constexpr char kOpenFolderQuestion[] =
    "Would you like this software to open the folder where these sample "
    "files are stored (so that you can view them before working with them)?";

}  // namespace

QString SamplesFolder() {
  return ProgramFolder() + QDir::separator() + QStringLiteral("Samples");
}

void LoadSampleFiles(FileListView& list, Dialogs& dialogs) {
  const QString folder = SamplesFolder() + QDir::separator();
  for (const std::string& name :
       ListFilesInFolder(QFile::encodeName(folder).toStdString(), "*.*")) {
    const QString entry =
        folder + QFile::decodeName(QByteArray::fromStdString(name));
    if (!ListHasItem(list, entry)) list.Append(entry);
  }
  if (dialogs.Question(QString::fromLatin1(kOpenFolderQuestion))) {
    dialogs.OpenFolder(folder);
  }
}

}  // namespace kestrilo
