// SPDX-License-Identifier: MIT

#include "gui/common/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "gui/common/data_folder.h"

namespace kestrilo::gui {

QString Tr(const char* text) {
  return QCoreApplication::translate(kTranslationContext, text);
}

bool InstallTranslation() {
  // Owned by the application, which keeps using them until it ends.
  auto* own = new QTranslator(QCoreApplication::instance());
  if (!own->load(QLocale(), QStringLiteral("kestrilo"), QStringLiteral("_"),
                 DataFile(QStringLiteral("translations")))) {
    delete own;
    return false;
  }
  QCoreApplication::installTranslator(own);
  // Qt's own texts follow only where ours are translated: an English window
  // with buttons in another language would be worse than either.
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
  return true;
}

}  // namespace kestrilo::gui
