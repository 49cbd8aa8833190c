// SPDX-License-Identifier: MIT

#pragma once

namespace kestrilo::gui {

class Dialogs;
class MainWindow;
class WorkbookOpener;

/// Prepares the main window before it first shows: the optional skin and
/// hand pointer from the data folder, caption, icon and application title,
/// the stored settings put back, and last the check that workbook windows
/// can be shown at all. A failing step is reported and start-up goes on.
/// False when no workbook window can be shown: the user has been told, and
/// the program must end without showing the window.
bool StartUp(MainWindow& window, WorkbookOpener& opener, Dialogs& dialogs);

}  // namespace kestrilo::gui
