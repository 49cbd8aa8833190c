// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "engine/writing/export_options.h"
#include "gui/run/export_option_table.h"

namespace kestrilo::gui {

class Dialogs;
class StepGuard;

/// The export options as the user chose them (one value for each row of
/// ExportOptionRows()), with the output folder: read by the export run for
/// each workbook, shown and changed by the main window. Every change is
/// stored at once, under the names and in the form of every earlier
/// version.
class ExportSettings : public QObject {
  Q_OBJECT

 public:
  /// Which of the block's first row and column hold header names (the
  /// codes stored), or the records layout.
  enum class HeaderMode {
    kHeaderRow = 1,
    kHeaderColumn = 2,
    kBothHeaders = 3,
    kNoHeaders = 4,
    kRecords = 5,
  };

  explicit ExportSettings(QObject* parent = nullptr);

  /// Puts back the stored values, each through Set() as a user's change
  /// would be. A stored choice that is not a number is reported and taken
  /// as the first choice; a value that is no choice leaves the default. The
  /// output folder defaults to the desktop folder.
  void Restore(StepGuard& guard);

  /// The value of `row` (a row of ExportOptionRows()), in stored form.
  const QString& Value(const ExportOptionRow& row) const;
  /// The value of the row stored under `key`.
  const QString& Value(const char* key) const;
  /// Sets and stores the value of `row`; nothing happens when it is the
  /// same.
  void Set(const ExportOptionRow& row, const QString& value);
  void Set(const char* key, const QString& value);
  /// Whether `row` matters in the layout chosen.
  bool Applies(const ExportOptionRow& row) const;

  HeaderMode header_mode() const;
  void SetHeaderMode(HeaderMode mode);
  /// Whether the hierarchy matters: it does when both or neither of the
  /// first row and column hold headers.
  bool hierarchy_applies() const;
  /// Whether the records layout is chosen. Its text is always escaped and
  /// its names valid, and it always has its title tag (which the window
  /// never leaves out).
  bool records_apply() const;
  /// The conversion options as they stand now.
  ExportOptions Options() const;

  const QString& output_folder() const { return output_folder_; }
  void SetOutputFolder(const QString& folder);
  /// Asks for an output folder, opening at the folder shown (else where
  /// the last choice was made); a cancel changes nothing.
  void ChooseOutputFolder(Dialogs& dialogs);

  /// The user's desktop folder followed by one separator (the home folder
  /// where there is no desktop folder). Throws std::invalid_argument when
  /// the platform knows none.
  static QString DesktopFolderPath();

 signals:
  /// Any value changed.
  void Changed();

 private:
  // By the rows' places in ExportOptionRows().
  std::vector<QString> values_;
  QString output_folder_;
};

}  // namespace kestrilo::gui
