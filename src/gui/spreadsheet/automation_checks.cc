#include "gui/spreadsheet/automation_checks.h"

#include <cstdlib>

namespace kestrilo {

QString ExcelUnavailableMessage() {
  return QStringLiteral(
      "Error 842001. A normal instance of Excel could not be created."
      "\r\n\r\n"
      "1. Please make sure Excel is installed on this computer."
      "\r\n\r\n"
      "2. Please open Excel normally and make sure a blank spreadsheet opens "
      "immediately without any interrupting window (such as an Excel file "
      "recovery window)."
      "\r\n\r\n"
      "3. Please make sure that when you double-click on a XLS or XLSX file "
      "that Excel opens normally without any interrupting messages."
      "\r\n\r\n"
      "4. All versions of Excel are supported by this software except for "
      "the rare Excel Starter and Student editions.");
}

QString ExcelOpenQuestion() {
  return QStringLiteral(
      "Excel may be open. It is recommended that you close Excel first."
      "\r"
      "Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary."
      "\r\n\r\n"
      "Would you like to proceed anyway?");
}

bool EnsureExcelAvailable(SpreadsheetAutomation& automation,
                          const QString& title,
                          const ShowMessageFunction& show_message,
                          const std::function<void()>& end_program) {
  bool available = false;
  try {
    available = automation.CanCreateInstance();
  } catch (...) {
    available = false;
  }
  if (available) return true;
  show_message(title, ExcelUnavailableMessage());
  if (end_program) {
    end_program();
  } else {
    std::exit(EXIT_FAILURE);
  }
  return false;
}

bool CheckExcelOpen(SpreadsheetAutomation& automation, const AskFunction& ask) {
  bool running = false;
  try {
    running = automation.ExcelIsRunning();
  } catch (...) {
    running = false;
  }
  if (!running) return false;
  return !ask(ExcelOpenQuestion());
}

}  // namespace kestrilo
