// SPDX-License-Identifier: MIT

#include "gui/filelist/sample_files.h"

#include <QDir>

#include "engine/folder_scan/folder_scan.h"
#include "gui/common/data_folder.h"
#include "gui/common/dialogs.h"
#include "gui/common/path_text.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_list_model.h"

namespace kestrilo::gui {
namespace {}  // namespace

QString SamplesFolder() { return DataFile(QStringLiteral("Samples")); }

void LoadSampleFiles(FileListModel& list, Dialogs& dialogs) {
  const QString folder = SamplesFolder() + QDir::separator();
  const std::string bytes = PathBytes(folder);
  for (const std::string& name : ListFilesInFolder(bytes, "*.*")) {
    const std::string entry = bytes + name;
    if (!list.Contains(entry)) list.AppendPath(entry);
  }
  if (dialogs.Question(Tr(texts::kOpenFolderQuestion)) &&
      !dialogs.OpenFolder(folder)) {
    dialogs.Message(Tr(texts::kFolderIsHere) + SamplesFolder());
  }
}

}  // namespace kestrilo::gui
