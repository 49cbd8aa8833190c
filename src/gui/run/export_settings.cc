// SPDX-License-Identifier: MIT

#include "gui/run/export_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <stdexcept>

#include "gui/common/dialogs.h"
#include "gui/common/settings_store.h"
#include "gui/common/step_guard.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {
namespace {

using Key = SettingsStore::Key;

// A stored code read as a number; a failure for a text that is none.
double StoredNumber(Key key) {
  const QString value = SettingsStore::Read(key, QStringLiteral("1"));
  bool ok = false;
  const double number = value.trimmed().toDouble(&ok);
  if (!ok) {
    throw std::invalid_argument(Tr(texts::kSettingNotNumber)
                                    .arg(SettingsStore::NameOf(key), value)
                                    .toStdString());
  }
  return number;
}

// A choice as it is stored: "1" on, "0" off.
QString Flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

}  // namespace

ExportSettings::ExportSettings(QObject* parent) : QObject(parent) {}

void ExportSettings::Restore(StepGuard& guard) {
  if (!guard.Run(Step::kRestoreHeaderMode, [this] {
        const double code = StoredNumber(Key::kHeaderMode);
        if (code >= 1 && code <= 4 && code == static_cast<int>(code)) {
          SetHeaderMode(static_cast<HeaderMode>(code));
        }
      })) {
    SetHeaderMode(HeaderMode::kHeaderRow);
  }
  if (!guard.Run(Step::kRestoreHierarchy, [this] {
        const double code = StoredNumber(Key::kHierarchy);
        if (code == 1 || code == 2) SetRowFirst(code == 1);
      })) {
    SetRowFirst(true);
  }
  SetEscapeText(SettingsStore::Read(Key::kEscapeText, QStringLiteral("1")) !=
                QStringLiteral("0"));
  SetValidNames(SettingsStore::Read(Key::kValidNames, QStringLiteral("1")) !=
                QStringLiteral("0"));
  SetAsDisplayed(SettingsStore::Read(Key::kAsDisplayed, QStringLiteral("0")) ==
                 QStringLiteral("1"));
  SetTitle(SettingsStore::Read(Key::kTitle,
                               QString::fromLatin1(texts::kDefaultTitle)));
  guard.Run(Step::kRestoreOutputFolder, [this] {
    SetOutputFolder(
        SettingsStore::Read(Key::kOutputFolder, DesktopFolderPath()));
  });
  RestoreRecords();
}

void ExportSettings::RestoreRecords() {
  const auto on = [](Key key) {
    return SettingsStore::Read(key, Flag(false)) == Flag(true);
  };
  if (on(Key::kRecords)) SetHeaderMode(HeaderMode::kRecords);
  SetRecordTag(SettingsStore::Read(
      Key::kRecordTag, QString::fromLatin1(texts::kDefaultRecordTag)));
  SetKeepEmpty(on(Key::kKeepEmpty));
  SetWriteSchema(on(Key::kWriteSchema));
}

bool ExportSettings::hierarchy_applies() const {
  return header_mode_ == HeaderMode::kBothHeaders ||
         header_mode_ == HeaderMode::kNoHeaders;
}

ExportOptions ExportSettings::Options() const {
  ExportOptions options;
  options.header_row = header_mode_ == HeaderMode::kHeaderRow ||
                       header_mode_ == HeaderMode::kBothHeaders;
  options.header_column = header_mode_ == HeaderMode::kHeaderColumn ||
                          header_mode_ == HeaderMode::kBothHeaders;
  options.row_first = row_first_;
  options.title = title_.toStdString();
  options.escape_text = escape_text_;
  options.valid_names = valid_names_;
  options.records = records_apply();
  options.record_tag = record_tag_.toStdString();
  options.keep_empty = options.records && keep_empty_;
  options.schema = options.records && write_schema_;
  options.as_displayed = as_displayed_;
  return options;
}

template <typename Value>
void ExportSettings::Change(Value& field, const Value& value, Key key,
                            const QString& text) {
  if (field == value) return;
  field = value;
  SettingsStore::Write(key, text);
  emit Changed();
}

void ExportSettings::SetHeaderMode(HeaderMode mode) {
  if (header_mode_ == mode) return;
  const bool records = mode == HeaderMode::kRecords;
  if (records != records_apply()) {
    SettingsStore::Write(Key::kRecords, Flag(records));
  }
  // The header mode stored stays the last of the four.
  if (!records) {
    SettingsStore::Write(Key::kHeaderMode,
                         QString::number(static_cast<int>(mode)));
  }
  header_mode_ = mode;
  emit Changed();
}

void ExportSettings::SetRowFirst(bool row_first) {
  Change(row_first_, row_first, Key::kHierarchy,
         row_first ? QStringLiteral("1") : QStringLiteral("2"));
}

void ExportSettings::SetTitle(const QString& title) {
  Change(title_, title, Key::kTitle, title);
}

void ExportSettings::SetOutputFolder(const QString& folder) {
  Change(output_folder_, folder, Key::kOutputFolder, folder);
}

void ExportSettings::SetEscapeText(bool escape) {
  Change(escape_text_, escape, Key::kEscapeText, Flag(escape));
}

void ExportSettings::SetValidNames(bool valid) {
  Change(valid_names_, valid, Key::kValidNames, Flag(valid));
}

void ExportSettings::SetRecordTag(const QString& tag) {
  Change(record_tag_, tag, Key::kRecordTag, tag);
}

void ExportSettings::SetKeepEmpty(bool keep) {
  Change(keep_empty_, keep, Key::kKeepEmpty, Flag(keep));
}

void ExportSettings::SetWriteSchema(bool write) {
  Change(write_schema_, write, Key::kWriteSchema, Flag(write));
}

void ExportSettings::SetAsDisplayed(bool as_displayed) {
  Change(as_displayed_, as_displayed, Key::kAsDisplayed,
         as_displayed ? QStringLiteral("1") : QStringLiteral("0"));
}

void ExportSettings::ChooseOutputFolder(Dialogs& dialogs) {
  const QString chosen = dialogs.BrowseForFolder(
      Tr(texts::kFolderPrompt),
      SettingsStore::Read(Key::kLastOutputFolder, QString()));
  if (chosen.isEmpty()) return;
  SettingsStore::Write(Key::kLastOutputFolder, chosen);
  // The folder text always ends with one separator; a root has it already.
  SetOutputFolder(
      chosen.endsWith(QDir::separator()) ? chosen : chosen + QDir::separator());
}

QString ExportSettings::DesktopFolderPath() {
  QString desktop =
      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  // Many Linux accounts have no desktop folder although the platform names
  // one; the home folder is then the place the user finds the files.
  if (!desktop.isEmpty() && !QFileInfo(desktop).isDir()) {
    desktop = QDir::homePath();
  }
  if (desktop.isEmpty()) {
    throw std::invalid_argument(Tr(texts::kNoDesktopFolder).toStdString());
  }
  QString path = QDir::toNativeSeparators(desktop);
  if (!path.endsWith(QDir::separator())) path += QDir::separator();
  return path;
}

}  // namespace kestrilo::gui
