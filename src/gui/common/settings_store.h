// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace kestrilo::gui {

/// The per-user settings: named text values kept by QSettings under
/// organisation "Velmora", application "Kestrilo", section "Kestrilo". The
/// names and the texts stored under them are those of every earlier
/// version, so that existing settings files still load. Tests call
/// QStandardPaths::setTestModeEnabled(true) first so that the user's own
/// settings are never touched.
class SettingsStore {
 public:
  /// Every value the program keeps besides the export options, whose names
  /// the table of export options gives (ExportOptionRows()).
  enum class Key {
    kOutputFolder,      ///< the output folder text
    kLastOutputFolder,  ///< the folder last chosen for output
    kScanExtension,     ///< extension of the folder scan
    kLastScanFolder,    ///< the folder last scanned
    kWorkbookWindow,    ///< a workbook window's last size and position
    kMainWindow,        ///< the main window's last size and position
  };

  /// The value stored under `key`, or `default_value` when none was written.
  static QString Read(Key key, const QString& default_value);
  /// Stores `value` under `key` at once.
  static void Write(Key key, const QString& value);
  /// The name the value is stored under, such as "Output Folder".
  static QString NameOf(Key key);

  /// The same for a value named by its stored name, such as "Escape Text".
  static QString Read(const QString& name, const QString& default_value);
  static void Write(const QString& name, const QString& value);
};

}  // namespace kestrilo::gui
