#pragma once

#include "gui/shell/dialogs.h"
#include "gui/spreadsheet/spreadsheet_automation.h"

namespace kestrilo {

/// The start-up check: true when workbooks can be opened; otherwise shows
/// the "Error 842001" message and returns false, and the program must end.
bool EnsureExcelAvailable(SpreadsheetAutomation& automation, Dialogs& dialogs);

/// Before an export run: when an instance is open already, asks whether to
/// go on. True means the run must stop.
bool CheckExcelOpen(SpreadsheetAutomation& automation, Dialogs& dialogs);

}  // namespace kestrilo
