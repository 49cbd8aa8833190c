#include "gui/shell/error_report.h"

namespace kestrilo {

QString ApplicationErrorText(const QString& description,
                             const QString& location, int line) {
  return description + QStringLiteral("\r\n") + location +
         QStringLiteral("at line ") + QString::number(line) +
         QStringLiteral("\r\r") +
         QStringLiteral("Please email screenshot of this message to ") +
         QString::fromLatin1(kSupportAddress);
}

void ReportApplicationError(Dialogs& dialogs, const QString& description,
                            const QString& location, int line) {
  dialogs.ErrorReport(ApplicationErrorText(description, location, line));
}

}  // namespace kestrilo
