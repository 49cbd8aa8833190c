// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace kestrilo::gui {

/// The steps of the window's commands that can fail and are then told in
/// the error report. Each belongs to one command, whose location text the
/// report shows, and has the number the report gives as its line.
enum class Step {
  // Start-up of the main window.
  kApplySkin,
  kRestoreHeaderMode,
  kRestoreHierarchy,
  kRestoreOutputFolder,
  // "Load Sample/Example Files".
  kLoadSamples,
  // "Add All Excel Files In Folder".
  kScanFolderTree,
  kListFolderFiles,
  // The folder scan's own reading of a folder.
  kReadFolder,
  // "Start Exporting To XML", per workbook.
  kOpenWorkbook,
  kConvertBlock,
  kWriteOutput,
};

/// Where the error report asks users to mail a screenshot, as the build set
/// it (-DKESTRILO_SUPPORT_CONTACT=...); empty when it set none.
QString SupportContact();

/// The error report's text for a failure of `step`: the description, CR LF,
/// the location text of the step's command, "at line " and the step's
/// number; then, where there is a `contact`, two CR characters and the
/// sentence asking for a screenshot by e-mail to it.
QString ErrorReportText(const QString& description, Step step,
                        const QString& contact = SupportContact());

/// The location text of the command `step` belongs to, such as
/// "in Kestrix2021/08/31.Form1.Form_Load " (note the final space).
QString LocationOf(Step step);

/// The number the report shows for `step`.
int LineOf(Step step);

}  // namespace kestrilo::gui
