#include "gui/common/step_guard.h"

#include <exception>

#include "gui/common/dialogs.h"

namespace kestrilo::gui {

bool StepGuard::Run(Step step, const std::function<void()>& work) {
  QString description;
  try {
    work();
    return true;
  } catch (const std::exception& error) {
    description = QString::fromUtf8(error.what());
  } catch (...) {
    description = QStringLiteral("Unknown error");
  }
  Report(step, description);
  return false;
}

void StepGuard::Report(Step step, const QString& description) {
  ++failures_;
  dialogs_.ErrorReport(ErrorReportText(description, step));
}

}  // namespace kestrilo::gui
