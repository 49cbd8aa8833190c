// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace kestrilo::gui {

class Dialogs;
class FileListModel;

/// The folder of sample workbooks, in the data folder.
QString SamplesFolder();

/// Appends every sample workbook that the list does not hold yet (compared
/// by exact text), in the order the file system lists them, then offers to
/// open the samples folder in the desktop's file browser; where none can be
/// started, says where the folder is. A missing samples folder adds
/// nothing, and the offer is still made. Throws when the folder exists but
/// cannot be listed; the offer is then not made.
void LoadSampleFiles(FileListModel& list, Dialogs& dialogs);

}  // namespace kestrilo::gui
