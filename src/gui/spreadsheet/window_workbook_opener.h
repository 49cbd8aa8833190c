// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <string>

#include "gui/common/workbook_opener.h"

namespace kestrilo::gui {

/// The program's own spreadsheet component: every session is a workbook
/// window.
class WindowWorkbookOpener : public WorkbookOpener {
 public:
  /// True when windows can be made: a widget application is running.
  bool CanOpenWindows() override;
  /// True while a workbook window of ours exists.
  bool AnyWindowOpen() override;
  std::unique_ptr<WorkbookSession> Create(const std::string& path) override;
};

}  // namespace kestrilo::gui
