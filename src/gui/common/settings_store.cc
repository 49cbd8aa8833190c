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
  switch (key) {
    case Key::kHeaderMode:
      return QStringLiteral("Selection Properties");
    case Key::kHierarchy:
      return QStringLiteral("Flip Row");
    case Key::kTitle:
      return QStringLiteral("Title");
    case Key::kOutputFolder:
      return QStringLiteral("Output Folder");
    case Key::kLastOutputFolder:
      return QStringLiteral("LastFolderDot");
    case Key::kEscapeText:
      return QStringLiteral("Escape Text");
    case Key::kScanExtension:
      return QStringLiteral("Extension");
    case Key::kLastScanFolder:
      return QStringLiteral("LastFolder");
  }
  return {};
}

QString SettingsStore::Read(Key key, const QString& default_value) {
  return Open().value(Path(key), default_value).toString();
}

void SettingsStore::Write(Key key, const QString& value) {
  Open().setValue(Path(key), value);
}

}  // namespace kestrilo::gui
