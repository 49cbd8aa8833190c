#include "gui/spreadsheet/window_automation.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include "engine/workbook_error.h"
#include "gui/spreadsheet/workbook_instance.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo {

namespace {

// Reading that takes longer than this shows the window with its loading
// page, so that the user sees what the program is waiting for.
constexpr int kShowLoadingAfterMs = 300;

}  // namespace

bool WindowAutomation::CanCreateInstance() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool WindowAutomation::ExcelIsRunning() {
  return WorkbookWindow::open_count() > 0;
}

std::unique_ptr<SpreadsheetInstance>
WindowAutomation::OpenWorkbookInNewInstance(const std::string& path) {
  auto window = std::make_unique<WorkbookWindow>();
  window->StartLoading(QString::fromStdString(path));
  QPointer<WorkbookWindow> watched = window.get();
  QTimer::singleShot(kShowLoadingAfterMs, window.get(), [watched] {
    if (watched && watched->loading()) watched->show();
  });
  window->WaitUntilLoaded();  // throws the reader's error
  if (window->workbook() == nullptr) {
    // The wait ends early only when the application is quitting.
    throw WorkbookError(path, "reading was interrupted");
  }
  return std::make_unique<WorkbookInstance>(std::move(window));
}

}  // namespace kestrilo
