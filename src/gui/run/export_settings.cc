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

std::size_t IndexOf(const ExportOptionRow& row) {
  return static_cast<std::size_t>(&row - ExportOptionRows().data());
}

const ExportOptionRow& HeaderModeRow() {
  return OptionRowNamed(texts::kSettingHeaderMode);
}

const ExportOptionRow& RecordsRow() {
  return OptionRowNamed(texts::kSettingRecords);
}

}  // namespace

ExportSettings::ExportSettings(QObject* parent) : QObject(parent) {
  for (const ExportOptionRow& row : ExportOptionRows()) {
    values_.push_back(QString::fromUtf8(row.default_value));
  }
}

void ExportSettings::Restore(StepGuard& guard) {
  for (const ExportOptionRow& row : ExportOptionRows()) {
    const QString stored = SettingsStore::Read(
        QString::fromUtf8(row.key), QString::fromUtf8(row.default_value));
    const auto restore = [&] { Set(row, ValueFromStored(row, stored)); };
    if (!row.restore_step) {
      restore();
    } else if (!guard.Run(*row.restore_step, restore)) {
      Set(row, QString::fromUtf8(row.choices.front().code));
    }
  }
  guard.Run(Step::kRestoreOutputFolder, [this] {
    SetOutputFolder(
        SettingsStore::Read(Key::kOutputFolder, DesktopFolderPath()));
  });
}

const QString& ExportSettings::Value(const ExportOptionRow& row) const {
  return values_.at(IndexOf(row));
}

const QString& ExportSettings::Value(const char* key) const {
  return Value(OptionRowNamed(key));
}

void ExportSettings::Set(const ExportOptionRow& row, const QString& value) {
  QString& field = values_.at(IndexOf(row));
  if (field == value) return;
  field = value;
  SettingsStore::Write(QString::fromUtf8(row.key), value);
  emit Changed();
}

void ExportSettings::Set(const char* key, const QString& value) {
  Set(OptionRowNamed(key), value);
}

bool ExportSettings::Applies(const ExportOptionRow& row) const {
  switch (row.scope) {
    case OptionScope::kAlways:
      return true;
    case OptionScope::kHeaderModes:
      return !records_apply();
    case OptionScope::kRecords:
      return records_apply();
    case OptionScope::kHierarchy:
      return hierarchy_applies();
  }
  return true;
}

ExportSettings::HeaderMode ExportSettings::header_mode() const {
  if (records_apply()) return HeaderMode::kRecords;
  return static_cast<HeaderMode>(Value(HeaderModeRow()).toInt());
}

void ExportSettings::SetHeaderMode(HeaderMode mode) {
  const bool records = mode == HeaderMode::kRecords;
  // The header mode stored stays the last of the four.
  if (!records) {
    Set(HeaderModeRow(), QString::number(static_cast<int>(mode)));
  }
  Set(RecordsRow(), CheckValue(records));
}

bool ExportSettings::hierarchy_applies() const {
  const HeaderMode mode = header_mode();
  return mode == HeaderMode::kBothHeaders || mode == HeaderMode::kNoHeaders;
}

bool ExportSettings::records_apply() const {
  return Value(RecordsRow()) == CheckValue(true);
}

ExportOptions ExportSettings::Options() const {
  ExportOptions options;
  for (const ExportOptionRow& row : ExportOptionRows()) {
    if (Applies(row)) ApplyOption(row, Value(row), options);
  }
  return options;
}

void ExportSettings::SetOutputFolder(const QString& folder) {
  if (output_folder_ == folder) return;
  output_folder_ = folder;
  SettingsStore::Write(Key::kOutputFolder, folder);
  emit Changed();
}

void ExportSettings::ChooseOutputFolder(Dialogs& dialogs) {
  const QString shown = output_folder_.trimmed();
  const QString start =
      !shown.isEmpty() && QFileInfo(shown).isDir()
          ? shown
          : SettingsStore::Read(Key::kLastOutputFolder, QString());
  const QString chosen =
      dialogs.BrowseForFolder(Tr(texts::kFolderPrompt), start);
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
