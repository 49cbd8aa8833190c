// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/window_workbook_opener.h"

#include <QApplication>

#include "gui/spreadsheet/window_workbook_session.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo::gui {

bool WindowWorkbookOpener::CanOpenWindows() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool WindowWorkbookOpener::AnyWindowOpen() {
  return WorkbookWindow::open_count() > 0;
}

std::unique_ptr<WorkbookSession> WindowWorkbookOpener::Create(
    const std::string& path) {
  return std::make_unique<WindowWorkbookSession>(path);
}

}  // namespace kestrilo::gui
