// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/name_box.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QWheelEvent>
#include <algorithm>
#include <utility>
#include <vector>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/spreadsheet/typed_reference.h"

namespace kestrilo::gui {

NameBox::NameBox(QWidget* parent) : QComboBox(parent) {
  setObjectName(QStringLiteral("nameBox"));
  setAccessibleName(Tr(texts::kNameBoxName));
  setToolTip(Tr(texts::kNameBoxToolTip));
  setEditable(true);
  // What the user types is an address or a name to go to, never an item.
  setInsertPolicy(QComboBox::NoInsert);
  lineEdit()->installEventFilter(this);
  connect(this, &QComboBox::activated, this, &NameBox::Picked);
  connect(lineEdit(), &QLineEdit::textEdited, this, [this] { Mark(false); });
}

void NameBox::SetWorkbook(const Workbook* workbook) {
  const QString shown = text();
  clear();
  if (workbook != nullptr) {
    AddSection(*workbook, BlockNameKind::kDefinedName);
    AddSection(*workbook, BlockNameKind::kTable);
  }
  setCurrentIndex(-1);
  ShowText(shown);
}

void NameBox::AddSection(const Workbook& workbook, BlockNameKind kind) {
  std::vector<std::pair<QString, int>> offered;  // label, index in names()
  const std::vector<BlockName>& names = workbook.names();
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    if (names[i].kind == kind && names[i].usable() && names[i].sheet >= 0 &&
        names[i].sheet < workbook.sheet_count()) {
      offered.emplace_back(TypedReference::Label(workbook, names[i]), i);
    }
  }
  if (offered.empty()) return;
  // Sorted as spreadsheets list names: alphabetically, whatever the case.
  std::stable_sort(
      offered.begin(), offered.end(), [](const auto& left, const auto& right) {
        return left.first.compare(right.first, Qt::CaseInsensitive) < 0;
      });
  if (kind == BlockNameKind::kTable) {
    if (count() > 0) insertSeparator(count());
    addItem(Tr(texts::kNameBoxTables));
    // A heading, not a name: shown, never picked.
    auto* items = qobject_cast<QStandardItemModel*>(model());
    if (items != nullptr) items->item(count() - 1)->setFlags(Qt::NoItemFlags);
  }
  for (const auto& [label, index] : offered) {
    addItem(label, index);
  }
}

void NameBox::ShowText(const QString& text) {
  Mark(false);
  lineEdit()->setText(text);
  lineEdit()->setCursorPosition(0);
}

void NameBox::ShowRefused(const QString& text) {
  lineEdit()->setText(text);
  lineEdit()->selectAll();
  Mark(true);
}

void NameBox::Mark(bool refused) {
  if (refused == refusing_) return;
  refusing_ = refused;
  lineEdit()->setStyleSheet(
      refused ? QStringLiteral("QLineEdit { background: #fde8e8; }")
              : QString());
}

QString NameBox::text() const { return lineEdit()->text(); }

QStringList NameBox::Offered() const {
  QStringList labels;
  for (int row = 0; row < count(); ++row) {
    if (itemData(row, kNameIndexRole).isValid()) labels << itemText(row);
  }
  return labels;
}

void NameBox::showPopup() {
  if (!Offered().isEmpty()) QComboBox::showPopup();
}

void NameBox::Picked(int row) {
  const QVariant index = itemData(row, kNameIndexRole);
  // Nothing stays chosen: Enter on a typed text must not pick it again.
  setCurrentIndex(-1);
  if (index.isValid()) emit NamePicked(index.toInt());
}

bool NameBox::TakeKey(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit TextEntered(lineEdit()->text());
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      // The arrows open the list rather than step through it: each step
      // would go to a name.
      showPopup();
      return true;
    default:
      return false;
  }
}

// The combo box has the focus as the user types, and hands keys to its
// line edit directly, past any filter there.
void NameBox::keyPressEvent(QKeyEvent* event) {
  if (!TakeKey(*event)) QComboBox::keyPressEvent(event);
}

bool NameBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::KeyPress &&
      TakeKey(*static_cast<QKeyEvent*>(event))) {
    return true;
  }
  return QComboBox::eventFilter(watched, event);
}

void NameBox::wheelEvent(QWheelEvent* event) { event->ignore(); }

}  // namespace kestrilo::gui
