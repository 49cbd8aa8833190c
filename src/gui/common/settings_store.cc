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

QString Path(const QString& name) {
  return QString::fromLatin1(texts::kSettingsSection) + name;
}

}  // namespace

QString SettingsStore::NameOf(Key key) {
  // In the order of Key.
  static constexpr const char* kNames[] = {
      texts::kSettingOutputFolder,   texts::kSettingLastFolderDot,
      texts::kSettingExtension,      texts::kSettingLastFolder,
      texts::kSettingWorkbookWindow, texts::kSettingMainWindow};
  return QString::fromLatin1(kNames[static_cast<int>(key)]);
}

QString SettingsStore::Read(Key key, const QString& default_value) {
  return Read(NameOf(key), default_value);
}

void SettingsStore::Write(Key key, const QString& value) {
  Write(NameOf(key), value);
}

QString SettingsStore::Read(const QString& name, const QString& default_value) {
  return Open().value(Path(name), default_value).toString();
}

void SettingsStore::Write(const QString& name, const QString& value) {
  Open().setValue(Path(name), value);
}

}  // namespace kestrilo::gui
