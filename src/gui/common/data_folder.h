// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace kestrilo::gui {

/// The folder of the files the program ships beside its code: the sample
/// workbooks ("Samples"), the drag pointer "drag.ico", and the optional hand
/// pointer "HAND-M.CUR" and skin "x/o.cjs". Installed, that is
/// share/kestrilo beside the program's bin folder; in the build tree, the
/// program's own folder. Native separators, no final separator.
QString DataFolder();

/// The path of `relative` (with "/" separators) in the data folder, in
/// native form.
QString DataFile(const QString& relative);

/// Makes DataFolder() return `folder` (an empty text restores the real
/// one), so that tests control which files exist.
void SetDataFolderForTesting(const QString& folder);

}  // namespace kestrilo::gui
