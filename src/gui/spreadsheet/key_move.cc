// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/key_move.h"

namespace kestrilo::gui {

std::optional<KeyMove> MoveForKey(int key, Qt::KeyboardModifiers modifiers,
                                  CellPosition from, CellPosition active,
                                  const BlockGeometry& used, int page) {
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool control = modifiers & Qt::ControlModifier;
  CellPosition to = from;
  bool extend = shift;
  switch (key) {
    case Qt::Key_Up:
      to.row = control ? 1 : from.row - 1;
      break;
    case Qt::Key_Down:
      to.row = control
                   ? (from.row < used.last_row() ? used.last_row() : kMaxRows)
                   : from.row + 1;
      break;
    case Qt::Key_Left:
      to.column = control ? 1 : from.column - 1;
      break;
    case Qt::Key_Right:
      to.column = control
                      ? (from.column < used.last_column() ? used.last_column()
                                                          : kMaxColumns)
                      : from.column + 1;
      break;
    case Qt::Key_PageUp:
      to.row = from.row - page;
      break;
    case Qt::Key_PageDown:
      to.row = from.row + page;
      break;
    case Qt::Key_Home:
      to = {control ? 1 : from.row, 1};
      break;
    case Qt::Key_End:
      if (!control) return std::nullopt;
      to = {used.last_row(), used.last_column()};
      break;
    case Qt::Key_Tab:
      to.column = active.column + 1;
      to.row = active.row;
      extend = false;
      break;
    case Qt::Key_Backtab:
      to.column = active.column - 1;
      to.row = active.row;
      extend = false;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      to.row = active.row + (shift ? -1 : 1);
      to.column = active.column;
      extend = false;
      break;
    default:
      return std::nullopt;
  }
  return KeyMove{to, extend};
}

}  // namespace kestrilo::gui
