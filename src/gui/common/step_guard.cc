// SPDX-License-Identifier: MIT

#include "gui/common/step_guard.h"

#include <exception>

#include "gui/common/dialogs.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {

bool StepGuard::Run(Step step, const std::function<void()>& work) {
  QString description;
  try {
    work();
    return true;
  } catch (const std::exception& error) {
    description = QString::fromUtf8(error.what());
  } catch (...) {
    description = Tr(texts::kUnknownError);
  }
  Report(step, description);
  return false;
}

void StepGuard::Report(Step step, const QString& description) {
  ++failures_;
  dialogs_.ErrorReport(ErrorReportText(description, step));
}

}  // namespace kestrilo::gui
