// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "gui/common/workbook_session.h"

namespace kestrilo::gui {

/// Makes workbook sessions: the spreadsheet component as the main window
/// and the export run see it. The program's own is the workbook window;
/// tests plug in their own.
class WorkbookOpener {
 public:
  virtual ~WorkbookOpener() = default;

  /// Whether workbook windows can be shown at all (for example, a display
  /// to show them on). Checked once at start-up.
  virtual bool CanOpenWindows() = 0;
  /// Whether a workbook window is open already (asked before a run).
  virtual bool AnyWindowOpen() = 0;
  /// A session for the workbook at `path`, not yet opened: call Open().
  virtual std::unique_ptr<WorkbookSession> Create(const std::string& path) = 0;
};

}  // namespace kestrilo::gui
