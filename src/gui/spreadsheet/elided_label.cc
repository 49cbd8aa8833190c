// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/elided_label.h"

#include <QResizeEvent>
#include <algorithm>

namespace kestrilo::gui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setWordWrap(false);
}

QSize ElidedLabel::sizeHint() const {
  // Room for the whole text, whatever is shown now: the layout gives what
  // it can, and the name is shortened to that.
  const QMargins margins = contentsMargins();
  return {fontMetrics().horizontalAdvance(full_text()) + margins.left() +
              margins.right(),
          QLabel::sizeHint().height()};
}

void ElidedLabel::SetNamedText(const QString& pattern, const QString& name) {
  pattern_ = pattern;
  name_ = name;
  setToolTip(name);
  setAccessibleName(full_text());
  Elide();
}

QSize ElidedLabel::minimumSizeHint() const {
  return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void ElidedLabel::Elide() {
  const QFontMetrics metrics = fontMetrics();
  const int room = contentsRect().width();
  const QString whole = full_text();
  if (metrics.horizontalAdvance(whole) <= room) {
    setText(whole);
    return;
  }
  const int around = metrics.horizontalAdvance(pattern_.arg(QString()));
  setText(pattern_.arg(
      metrics.elidedText(name_, Qt::ElideMiddle, std::max(0, room - around))));
}

}  // namespace kestrilo::gui
