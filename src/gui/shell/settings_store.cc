#include "gui/shell/settings_store.h"

#include <QSettings>

namespace kestrilo {
namespace {

constexpr char kOrganisation[] = "Velmora";
constexpr char kApplication[] = "Kestrilo";
constexpr char kSection[] = "Kestrilo";

QString Key(const QString& name) {
  return QString::fromLatin1(kSection) + QLatin1Char('/') + name;
}

}  // namespace

QString GetSetting(const QString& name, const QString& default_value) {
  QSettings settings(QString::fromLatin1(kOrganisation),
                     QString::fromLatin1(kApplication));
  return settings.value(Key(name), default_value).toString();
}

void SaveSetting(const QString& name, const QString& value) {
  QSettings settings(QString::fromLatin1(kOrganisation),
                     QString::fromLatin1(kApplication));
  settings.setValue(Key(name), value);
}

}  // namespace kestrilo
