#include "gui/shell/handler_guard.h"

#include <exception>
#include <utility>

#include "gui/shell/error_report.h"

namespace kestrilo {

HandlerGuard::HandlerGuard(Dialogs& dialogs, QString location)
    : dialogs_(dialogs), location_(std::move(location)) {}

void HandlerGuard::Run(int line, const std::function<void()>& statement) {
  Test(line, [&] {
    statement();
    return true;
  });
}

bool HandlerGuard::Test(int line, const std::function<bool()>& condition) {
  try {
    return condition();
  } catch (const std::exception& error) {
    Report(line, QString::fromUtf8(error.what()));
  } catch (...) {
    Report(line, QStringLiteral("Unknown error"));
  }
  return true;
}

void HandlerGuard::Report(int line, const QString& description) {
  ++failures_;
  ReportApplicationError(dialogs_, description, location_, line);
}

}  // namespace kestrilo
