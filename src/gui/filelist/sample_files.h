#pragma once

#include <QString>

namespace kestrilo {

class Dialogs;
class FileListView;

/// The folder of sample workbooks beside the program.
QString SamplesFolder();

/// Appends every sample workbook that the list does not hold yet (compared
/// by exact text), in the order the file system lists them, then offers to
/// open the samples folder in the desktop's file browser. A missing samples
/// folder adds nothing, and the offer is still made. Throws when the folder
/// exists but cannot be listed; the offer is then not made.
void LoadSampleFiles(FileListView& list, Dialogs& dialogs);

}  // namespace kestrilo
