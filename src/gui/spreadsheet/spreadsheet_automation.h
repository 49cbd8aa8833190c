#pragma once

#include <memory>
#include <string>

#include "gui/spreadsheet/spreadsheet_instance.h"

namespace kestrilo {

/// The spreadsheet component as the main window and the export run use it:
/// the start-up check, the "already running" test and opening a workbook in
/// a new instance. Tests plug in their own.
class SpreadsheetAutomation {
 public:
  virtual ~SpreadsheetAutomation() = default;

  /// Whether an instance can be created at all.
  virtual bool CanCreateInstance() = 0;
  /// ExcelIsRunning: an instance (a workbook window) is open already.
  virtual bool ExcelIsRunning() = 0;
  /// OpenWorkbookInNewInstance: a new, not yet visible instance with the
  /// workbook loaded. Throws WorkbookError when it cannot be read.
  virtual std::unique_ptr<SpreadsheetInstance> OpenWorkbookInNewInstance(
      const std::string& path) = 0;
};

}  // namespace kestrilo
