#pragma once

#include <QString>

namespace kestrilo {

/// The folder that holds the program file, in native form without a final
/// separator: where the optional pointer image, skin and samples are looked
/// for.
QString ProgramFolder();

/// Makes ProgramFolder() return `folder` (an empty text restores the real
/// one), so that tests control which optional files exist.
void SetProgramFolderForTesting(const QString& folder);

}  // namespace kestrilo
