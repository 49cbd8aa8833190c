// SPDX-License-Identifier: MIT

#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

#include "engine/model/workbook.h"

class QKeyEvent;

namespace kestrilo::gui {

/// The name box beside the formula line, as in spreadsheets: it shows the
/// active cell's address (or the name of the block selected), takes an
/// address or a name typed and entered, and drops down the workbook's
/// usable names, then its tables under a heading of their own; typing
/// completes a name. Names that
/// stand for no block are not offered. Picking one leaves nothing chosen in
/// the box, so that the next pick or Enter is always a fresh one.
class NameBox : public QComboBox {
  Q_OBJECT

 public:
  explicit NameBox(QWidget* parent = nullptr);

  /// Offers the usable names and tables of `workbook` (null: none). The
  /// workbook must outlive the offer.
  void SetWorkbook(const Workbook* workbook);
  /// Shows `text` in the box.
  void ShowText(const QString& text);
  /// Shows a typed `text` that leads nowhere: marked, and selected so that
  /// the next keys type over it. The mark goes with the next text shown or
  /// typed.
  void ShowRefused(const QString& text);
  bool refusing() const { return refusing_; }
  QString text() const;
  /// The names offered, in order (headings left out).
  QStringList Offered() const;

  /// Opens the list only when there is something to pick.
  void showPopup() override;

 signals:
  /// A name was picked from the list: its index in the workbook's names.
  void NamePicked(int name_index);
  /// Enter was pressed on a typed text.
  void TextEntered(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  /// The wheel would pick names while the user scrolls past the box.
  void wheelEvent(QWheelEvent* event) override;

 private:
  void AddSection(const Workbook& workbook, BlockNameKind kind);
  /// Enter goes to what was typed, the arrows open the list; false for
  /// any other key.
  bool TakeKey(const QKeyEvent& key);
  void Picked(int row);

  void Mark(bool refused);

  static constexpr int kNameIndexRole = Qt::UserRole;
  bool refusing_ = false;
};

}  // namespace kestrilo::gui
