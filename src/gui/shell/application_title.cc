// SPDX-License-Identifier: MIT

#include "gui/shell/application_title.h"

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {
namespace {

constexpr int kMaxTitleLength = 40;

// Empty until set: the product name, in the language of the moment.
QString& Title() {
  static QString title;
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

QString SetApplicationTitle() {
  return SetApplicationTitle(Tr(texts::kProductName));
}

QString ApplicationTitle() {
  return Title().isEmpty() ? Tr(texts::kProductName) : Title();
}

}  // namespace kestrilo::gui
