#include "gui/shell/application_title.h"

#include "gui/common/ui_texts.h"

namespace kestrilo::gui {
namespace {

constexpr int kMaxTitleLength = 40;

QString& Title() {
  static QString title = QString::fromLatin1(texts::kProductName);
  return title;
}

}  // namespace

QString SetApplicationTitle(const QString& product_name) {
  QString title = product_name;
  // Drops the last word with its space each time; a long name without any
  // space has nothing left to drop and stays as it is.
  while (title.size() > kMaxTitleLength) {
    const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
    if (space < 0) break;
    title.truncate(space);
  }
  Title() = title;
  return title;
}

QString ApplicationTitle() { return Title(); }

}  // namespace kestrilo::gui
