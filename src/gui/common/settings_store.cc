#include "gui/common/settings_store.h"

#include <QSettings>

namespace kestrilo::gui {
namespace {

QSettings Open() {
  return QSettings(QStringLiteral("Velmora"), QStringLiteral("Kestrilo"));
}

QString Path(SettingsStore::Key key) {
  return QStringLiteral("Kestrilo/") + SettingsStore::NameOf(key);
}

}  // namespace

QString SettingsStore::NameOf(Key key) {
  // In the order of Key.
  static constexpr const char* kNames[] = {
      "Selection Properties", "Flip Row",    "Title",     "Output Folder",
      "LastFolderDot",        "Escape Text", "Extension", "LastFolder"};
  return QString::fromLatin1(kNames[static_cast<int>(key)]);
}

QString SettingsStore::Read(Key key, const QString& default_value) {
  return Open().value(Path(key), default_value).toString();
}

void SettingsStore::Write(Key key, const QString& value) {
  Open().setValue(Path(key), value);
}

}  // namespace kestrilo::gui
