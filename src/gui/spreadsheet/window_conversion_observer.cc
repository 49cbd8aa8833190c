// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/window_conversion_observer.h"

#include <QCoreApplication>

#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo::gui {

namespace {

// A conversion reports every row; letting events through each time would
// cost more than the row. Often enough to repaint smoothly is enough.
constexpr int kEventsIntervalMs = 50;

}  // namespace

WindowConversionObserver::WindowConversionObserver(WorkbookWindow& window)
    : window_(window) {}

void WindowConversionObserver::Progress(std::string_view status) {
  window_.ShowStatusText(status);
  if (since_events_.isValid() && since_events_.elapsed() < kEventsIntervalMs) {
    return;
  }
  window_.FlushStatusText();
  LetEventsThrough();
}

void WindowConversionObserver::Busy(bool busy) {
  window_.SetBusy(busy);
  LetEventsThrough();
}

void WindowConversionObserver::LetEventsThrough() {
  // Only what repaints: a click must not start another command inside
  // this one.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  since_events_.restart();
}

}  // namespace kestrilo::gui
