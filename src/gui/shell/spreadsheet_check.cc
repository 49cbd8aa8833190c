#include "gui/shell/spreadsheet_check.h"

#include <QStringList>

namespace kestrilo {

bool EnsureExcelAvailable(SpreadsheetAutomation& automation, Dialogs& dialogs) {
  bool available = false;
  try {
    available = automation.CanCreateInstance();
  } catch (...) {
    available = false;
  }
  if (available) return true;
  dialogs.Message(QStringList{
      QStringLiteral(
          "Error 842001. A normal instance of Excel could not be created."),
      QStringLiteral(
          "1. Please make sure Excel is installed on this computer."),
      QStringLiteral("2. Please open Excel normally and make sure a blank "
                     "spreadsheet opens immediately without any "
                     "interrupting window (such as an Excel file recovery "
                     "window)."),
      QStringLiteral("3. Please make sure that when you double-click on a "
                     "XLS or XLSX file that Excel opens normally without "
                     "any interrupting messages."),
      QStringLiteral("4. All versions of Excel are supported by this "
                     "software except for the rare Excel Starter and "
                     "Student editions.")}
                      .join(QStringLiteral("\r\n\r\n")));
  return false;
}

bool CheckExcelOpen(SpreadsheetAutomation& automation, Dialogs& dialogs) {
  bool running = false;
  try {
    running = automation.ExcelIsRunning();
  } catch (...) {
    running = false;
  }
  if (!running) return false;
  return !dialogs.Question(
      QStringLiteral("Excel may be open. It is recommended that you close "
                     "Excel first.\rUse Ctrl+Alt+Del > Task Manager > "
                     "EXCEL.EXE if necessary.\r\n\r\nWould you like to "
                     "proceed anyway?"));
}

}  // namespace kestrilo
