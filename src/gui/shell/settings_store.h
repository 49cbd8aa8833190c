#pragma once

#include <QString>

namespace kestrilo {

/// The per-user settings store: named text values kept by QSettings under
/// organisation "Velmora", application "Kestrilo", section "Kestrilo".
/// Tests call QStandardPaths::setTestModeEnabled(true) before the first use
/// so that the user's real settings are never touched.

/// The value stored under `name`, or `default_value` when none was written.
QString GetSetting(const QString& name, const QString& default_value);

/// Stores `value` under `name` at once.
void SaveSetting(const QString& name, const QString& value);

}  // namespace kestrilo
