// SPDX-License-Identifier: MIT

#include "gui/common/settings_store.h"

#include <QSettings>

#include "gui/common/ui_texts.h"

namespace kestrilo::gui {
namespace {

QSettings Open() {
  return QSettings(QString::fromLatin1(texts::kSettingsOrganization),
                   QString::fromLatin1(texts::kSettingsApplication));
}

QString Path(SettingsStore::Key key) {
  return QString::fromLatin1(texts::kSettingsSection) +
         SettingsStore::NameOf(key);
}

}  // namespace

QString SettingsStore::NameOf(Key key) {
  // In the order of Key.
  static constexpr const char* kNames[] = {
      texts::kSettingHeaderMode,    texts::kSettingHierarchy,
      texts::kSettingTitle,         texts::kSettingOutputFolder,
      texts::kSettingLastFolderDot, texts::kSettingEscapeText,
      texts::kSettingExtension,     texts::kSettingLastFolder,
      texts::kSettingValidNames,    texts::kSettingRecords,
      texts::kSettingRecordTag,     texts::kSettingKeepEmpty,
      texts::kSettingWriteSchema,   texts::kSettingWorkbookWindow,
      texts::kSettingAsDisplayed};
  return QString::fromLatin1(kNames[static_cast<int>(key)]);
}

QString SettingsStore::Read(Key key, const QString& default_value) {
  return Open().value(Path(key), default_value).toString();
}

void SettingsStore::Write(Key key, const QString& value) {
  Open().setValue(Path(key), value);
}

}  // namespace kestrilo::gui
