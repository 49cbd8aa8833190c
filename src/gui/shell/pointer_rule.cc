// SPDX-License-Identifier: MIT

#include "gui/shell/pointer_rule.h"

#include <QEvent>
#include <QWidget>

namespace kestrilo::gui {

PointerRule::PointerRule(QWidget& window) : QObject(&window), window_(window) {}

void PointerRule::Watch(QWidget* widget, Pointer pointer) {
  watched_.insert(widget, pointer);
  widget->setMouseTracking(true);
  // A button ignores pointer moves, which would then travel on to its
  // frame or the window and set the default pointer over it at once.
  if (pointer == Pointer::kHand)
    widget->setAttribute(Qt::WA_NoMousePropagation);
  widget->installEventFilter(this);
}

void PointerRule::SetBusy(bool busy) {
  busy_ = qMax(0, busy_ + (busy ? 1 : -1));
  Show(busy_ > 0 ? Pointer::kHourglass : Pointer::kDefault);
}

void PointerRule::SetHandCursor(const QCursor& cursor) {
  hand_cursor_ = cursor;
  if (pointer_ == Pointer::kHand) Show(Pointer::kHand);
}

void PointerRule::Show(Pointer pointer) {
  pointer_ = pointer;
  switch (pointer) {
    case Pointer::kHourglass:
      window_.setCursor(Qt::WaitCursor);
      break;
    case Pointer::kHand:
      window_.setCursor(hand_cursor_);
      break;
    case Pointer::kDefault:
      window_.unsetCursor();
      break;
  }
}

bool PointerRule::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
    const auto found = watched_.constFind(watched);
    if (found != watched_.constEnd() && !busy() && pointer_ != found.value()) {
      Show(found.value());
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kestrilo::gui
