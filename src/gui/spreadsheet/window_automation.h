#pragma once

#include <memory>
#include <string>

#include "gui/spreadsheet/spreadsheet_automation.h"

namespace kestrilo {

/// The spreadsheet component of this program: every instance is a
/// WorkbookWindow of our own.
class WindowAutomation : public SpreadsheetAutomation {
 public:
  /// True when windows can be made: a widget application is running.
  bool CanCreateInstance() override;
  /// True while a workbook window of ours exists.
  bool ExcelIsRunning() override;
  /// Reads the workbook (on a thread; events keep being handled) into a new
  /// window, not yet shown unless reading takes long enough to deserve a
  /// "Loading" window. Throws the reader's WorkbookError.
  std::unique_ptr<SpreadsheetInstance> OpenWorkbookInNewInstance(
      const std::string& path) override;
};

}  // namespace kestrilo
