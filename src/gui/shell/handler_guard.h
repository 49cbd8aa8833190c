#pragma once

#include <QString>
#include <functional>

#include "gui/shell/dialogs.h"

namespace kestrilo {

/// The numbered statements of one command handler. A statement that throws
/// is reported in the error report with the handler's location and the
/// statement's line, and the handler goes on with its next statement: one
/// failure never ends a command.
class HandlerGuard {
 public:
  /// `location` is the handler's location text, such as
  /// "in Kestrix2021/08/31.Form1.PushButton5_Click " (note the final space).
  HandlerGuard(Dialogs& dialogs, QString location);

  /// Runs one statement; reports it at `line` if it throws.
  void Run(int line, const std::function<void()>& statement);

  /// The test of a conditional step: its value, or true when the test
  /// itself threw (reported at `line`), so that the guarded step runs as
  /// after any failing statement.
  bool Test(int line, const std::function<bool()>& condition);

  /// How many failures this guard has reported.
  int failures() const { return failures_; }

 private:
  void Report(int line, const QString& description);

  Dialogs& dialogs_;
  QString location_;
  int failures_ = 0;
};

}  // namespace kestrilo
