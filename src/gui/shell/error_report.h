#pragma once

#include <QString>

#include "gui/shell/dialogs.h"

namespace kestrilo {

/// The address the error report asks the user to write to.
inline constexpr char kSupportAddress[] = "support@kestrilo.example";

/// The error report's text: the description, CR LF, the handler's location
/// text, "at line " and the line number, two CR characters, and the sentence
/// asking for a screenshot by e-mail.
QString ApplicationErrorText(const QString& description,
                             const QString& location, int line);

/// Shows the error report ("Application Error" box) for a failing statement.
void ReportApplicationError(Dialogs& dialogs, const QString& description,
                            const QString& location, int line);

}  // namespace kestrilo
