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
  /// Every value the program keeps.
  enum class Key {
    kHeaderMode,        ///< header mode code "1" to "4"
    kHierarchy,         ///< "1" row first, "2" column first
    kTitle,             ///< the title text
    kOutputFolder,      ///< the output folder text
    kLastOutputFolder,  ///< the folder last chosen for output
    kEscapeText,        ///< "1" escape cell text, "0" raw text
    kScanExtension,     ///< extension of the folder scan
    kLastScanFolder,    ///< the folder last scanned
    kValidNames,        ///< "1" tag names made valid XML names, "0" not
    kRecords,           ///< "1" the records layout, "0" the header mode's
    kRecordTag,         ///< the records layout's record tag text
    kKeepEmpty,         ///< "1" empty attributes and elements kept, "0" not
    kWriteSchema,       ///< "1" an XML Schema beside each file, "0" not
    kWorkbookWindow,    ///< a workbook window's last size and position
    kAsDisplayed,       ///< "1" cells written as displayed, "0" their values
  };

  /// The value stored under `key`, or `default_value` when none was written.
  static QString Read(Key key, const QString& default_value);
  /// Stores `value` under `key` at once.
  static void Write(Key key, const QString& value);
  /// The name the value is stored under, such as "Selection Properties".
  static QString NameOf(Key key);
};

}  // namespace kestrilo::gui
