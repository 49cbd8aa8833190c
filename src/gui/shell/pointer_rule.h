// SPDX-License-Identifier: MIT

#pragma once

#include <QCursor>
#include <QHash>
#include <QObject>

class QWidget;

namespace kestrilo::gui {

/// The main window's pointer: the hand over the command buttons, the
/// default pointer over the rest, and the hourglass while the window is
/// busy, which moving over the controls leaves alone.
class PointerRule : public QObject {
  Q_OBJECT

 public:
  enum class Pointer { kDefault, kHourglass, kHand };

  explicit PointerRule(QWidget& window);

  /// Moving over `widget` sets `pointer`, unless the window is busy.
  void Watch(QWidget* widget, Pointer pointer);
  /// Busy marks nest: the hourglass shows until the last one is taken back.
  void SetBusy(bool busy);
  bool busy() const { return busy_ > 0; }
  Pointer pointer() const { return pointer_; }
  /// The image shown as the hand (by default Qt's pointing hand).
  void SetHandCursor(const QCursor& cursor);
  const QCursor& hand_cursor() const { return hand_cursor_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Show(Pointer pointer);

  QWidget& window_;
  QHash<QObject*, Pointer> watched_;
  Pointer pointer_ = Pointer::kDefault;
  int busy_ = 0;
  QCursor hand_cursor_{Qt::PointingHandCursor};
};

}  // namespace kestrilo::gui
