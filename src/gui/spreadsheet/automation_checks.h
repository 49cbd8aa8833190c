#pragma once

#include <QString>
#include <functional>

#include "gui/spreadsheet/spreadsheet_automation.h"

namespace kestrilo {

/// Shows a message box with an OK button: caption, then text.
using ShowMessageFunction =
    std::function<void(const QString& caption, const QString& text)>;
/// Asks a Yes/No question; true for Yes.
using AskFunction = std::function<bool(const QString& question)>;

/// The message shown when the spreadsheet component cannot be created.
QString ExcelUnavailableMessage();
/// The question asked before an export run while an instance is open.
QString ExcelOpenQuestion();

/// EnsureExcelAvailable: returns true when an instance can be created (any
/// failure counts as "cannot"). Otherwise shows ExcelUnavailableMessage()
/// with `title` as caption and then calls `end_program`, which by default
/// ends the program at once; returns false if that returns.
bool EnsureExcelAvailable(SpreadsheetAutomation& automation,
                          const QString& title,
                          const ShowMessageFunction& show_message,
                          const std::function<void()>& end_program = nullptr);

/// CheckExcelOpen: when an instance is running, asks ExcelOpenQuestion();
/// true means the export run must stop (No), false that it may go on (Yes,
/// or nothing running).
bool CheckExcelOpen(SpreadsheetAutomation& automation, const AskFunction& ask);

}  // namespace kestrilo
