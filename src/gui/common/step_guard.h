// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <functional>

#include "gui/common/error_report.h"

namespace kestrilo::gui {

class Dialogs;

/// Runs the named steps of one command: a step that throws is told in the
/// error report, and the command goes on with its next step, so that one
/// failure never ends a command.
class StepGuard {
 public:
  /// `dialogs` shows the reports and must outlive the guard.
  explicit StepGuard(Dialogs& dialogs) : dialogs_(dialogs) {}

  /// Runs `work`; true when it finished, false when it threw and was
  /// reported.
  bool Run(Step step, const std::function<void()>& work);

  /// Tells a failure of `step` found by other means than an exception.
  void Report(Step step, const QString& description);

  /// How many failures this guard has reported.
  int failures() const { return failures_; }

 private:
  Dialogs& dialogs_;
  int failures_ = 0;
};

}  // namespace kestrilo::gui
