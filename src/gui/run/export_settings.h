// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QString>

#include "engine/writing/export_options.h"
#include "gui/common/settings_store.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {

class Dialogs;
class StepGuard;

/// The export options as the user chose them, with the title and the output
/// folder: read by the export run for each workbook, shown and changed by
/// the main window. Every change is stored at once, under the names and in
/// the form of every earlier version.
class ExportSettings : public QObject {
  Q_OBJECT

 public:
  /// Which of the block's first row and column hold header names; the
  /// numbers are the codes stored.
  enum class HeaderMode {
    kHeaderRow = 1,
    kHeaderColumn = 2,
    kBothHeaders = 3,
    kNoHeaders = 4,
    /// The records layout: stored under a key of its own, so that the
    /// header mode stored keeps the codes earlier versions read.
    kRecords = 5,
  };

  explicit ExportSettings(QObject* parent = nullptr);

  /// Puts back the stored values, each through its setter as a user's
  /// change would be. A stored code that is not a number is reported and
  /// taken as the first choice; a number that is no code leaves the choice
  /// as it is. The output folder defaults to the desktop folder.
  void Restore(StepGuard& guard);

  HeaderMode header_mode() const { return header_mode_; }
  bool row_first() const { return row_first_; }
  const QString& title() const { return title_; }
  const QString& output_folder() const { return output_folder_; }
  bool escape_text() const { return escape_text_; }
  bool valid_names() const { return valid_names_; }
  const QString& record_tag() const { return record_tag_; }
  bool keep_empty() const { return keep_empty_; }
  bool write_schema() const { return write_schema_; }
  bool as_displayed() const { return as_displayed_; }
  /// Whether the hierarchy matters: it does when both or neither of the
  /// first row and column hold headers.
  bool hierarchy_applies() const;
  /// Whether the records layout's own options matter: in that layout. Its
  /// text is always escaped and its names valid, and it always has its
  /// title tag (which the window never leaves out).
  bool records_apply() const { return header_mode_ == HeaderMode::kRecords; }
  /// The conversion options as they stand now.
  ExportOptions Options() const;

  void SetHeaderMode(HeaderMode mode);
  void SetRowFirst(bool row_first);
  void SetTitle(const QString& title);
  void SetOutputFolder(const QString& folder);
  void SetEscapeText(bool escape);
  void SetValidNames(bool valid);
  void SetRecordTag(const QString& tag);
  void SetKeepEmpty(bool keep);
  void SetWriteSchema(bool write);
  void SetAsDisplayed(bool as_displayed);
  /// Asks for an output folder, opening where the last choice was made;
  /// a cancel changes nothing.
  void ChooseOutputFolder(Dialogs& dialogs);

  /// The user's desktop folder followed by one separator (the home folder
  /// where there is no desktop folder). Throws std::invalid_argument when
  /// the platform knows none.
  static QString DesktopFolderPath();

 signals:
  /// Any value changed.
  void Changed();

 private:
  /// Sets `field` to `value`; when that changes it, stores `text` under
  /// the setting `key` and tells the change.
  /// Puts back the records layout's values, each through its setter.
  void RestoreRecords();
  template <typename Value>
  void Change(Value& field, const Value& value, SettingsStore::Key key,
              const QString& text);

  HeaderMode header_mode_ = HeaderMode::kHeaderRow;
  bool row_first_ = true;
  QString record_tag_ = QString::fromLatin1(texts::kDefaultRecordTag);
  bool keep_empty_ = false;
  bool write_schema_ = false;
  QString title_ = QString::fromLatin1(texts::kDefaultTitle);
  QString output_folder_;
  bool escape_text_ = true;
  bool valid_names_ = true;
  bool as_displayed_ = false;
};

}  // namespace kestrilo::gui
