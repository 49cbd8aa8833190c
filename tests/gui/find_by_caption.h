// SPDX-License-Identifier: MIT

#pragma once

// Finds the window's controls as a user does: by what they show.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "gui/common/translation.h"

namespace kestrilo::testing {

/// A caption as shown: "&&" is an "&", a lone "&" marks the access key.
inline QString Caption(QString text) {
  return text.replace("&&", "\x01").remove('&').replace("\x01", "&");
}

/// What `widget` shows as its caption: a button's text, a label's, a
/// frame's title; empty for anything else.
inline QString CaptionOf(const QWidget* widget) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    return Caption(button->text());
  }
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    return Caption(label->text());
  }
  if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) {
    return Caption(frame->title());
  }
  return {};
}

/// The control under `root` whose caption is `text` (a text of ui_texts.h),
/// of type Widget; fails the program where there is none.
template <typename Widget = QAbstractButton>
Widget* FindShown(const QWidget& root, const char* text) {
  const QString wanted = Caption(gui::Tr(text));
  for (Widget* widget : root.findChildren<Widget*>()) {
    if (CaptionOf(widget) == wanted) return widget;
  }
  qFatal("no control %s", text);
}

/// The line a label with the caption `text` names, or the one line of the
/// frame with that caption.
inline QLineEdit* FieldOf(const QWidget& root, const char* text) {
  QWidget* shown = FindShown<QWidget>(root, text);
  if (auto* label = qobject_cast<QLabel*>(shown)) {
    return qobject_cast<QLineEdit*>(label->buddy());
  }
  return shown->findChild<QLineEdit*>();
}

/// How a control is known in a test's expectations: its caption, a line
/// by its frame's or label's caption, else its accessible name.
inline QString Describe(const QWidget* widget) {
  QString caption = CaptionOf(widget);
  if (!caption.isEmpty()) return caption;
  if (qobject_cast<const QLineEdit*>(widget) != nullptr) {
    for (const QLabel* label :
         widget->window()->findChildren<const QLabel*>()) {
      if (label->buddy() == widget) return CaptionOf(label);
    }
    return CaptionOf(widget->parentWidget());
  }
  return widget->accessibleName();
}

}  // namespace kestrilo::testing
