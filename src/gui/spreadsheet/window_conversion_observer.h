// SPDX-License-Identifier: MIT

#pragma once

#include <QElapsedTimer>
#include <string_view>

#include "engine/writing/conversion_observer.h"

namespace kestrilo::gui {

class WorkbookWindow;

/// Shows a conversion in the workbook window, which the conversion runs
/// on: "Rows completed: N" in its status bar and the wait pointer, with
/// the window's pending events let through now and then so that both
/// show.
class WindowConversionObserver : public ConversionObserver {
 public:
  explicit WindowConversionObserver(WorkbookWindow& window);

  void Progress(std::string_view status) override;
  void Busy(bool busy) override;

 private:
  void LetEventsThrough();

  WorkbookWindow& window_;
  QElapsedTimer since_events_;
};

}  // namespace kestrilo::gui
