// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/key_move.h"

namespace kestrilo::gui {

namespace {

// Ctrl+arrow from `from` one step of (`rows`, `columns`) at a time: to the
// end of the filled run it stands in, or to the next filled cell, or to
// the edge. Beyond the filled part of the sheet every cell is empty, so
// the scan never goes further than that.
CellPosition Jump(CellPosition from, int rows, int columns,
                  const KeySheet& sheet) {
  const auto inside = [](CellPosition cell) {
    return cell.row >= 1 && cell.row <= kMaxRows && cell.column >= 1 &&
           cell.column <= kMaxColumns;
  };
  const auto in_used = [&sheet](CellPosition cell) {
    return cell.row >= sheet.used.first_row &&
           cell.row <= sheet.used.last_row() &&
           cell.column >= sheet.used.first_column &&
           cell.column <= sheet.used.last_column();
  };
  const auto filled = [&](CellPosition cell) {
    return in_used(cell) && sheet.filled(cell.row, cell.column);
  };
  const auto step = [rows, columns](CellPosition cell) {
    return CellPosition{cell.row + rows, cell.column + columns};
  };
  const CellPosition edge{rows < 0   ? 1
                          : rows > 0 ? kMaxRows
                                     : from.row,
                          columns < 0   ? 1
                          : columns > 0 ? kMaxColumns
                                        : from.column};
  CellPosition at = from;
  if (!inside(step(at))) return at;
  if (filled(at) && filled(step(at))) {
    while (inside(step(at)) && filled(step(at))) at = step(at);
    return at;
  }
  for (at = step(at); inside(at); at = step(at)) {
    if (filled(at)) return at;
    // Past the filled part, nothing more is found.
    const bool beyond = (rows > 0 && at.row > sheet.used.last_row()) ||
                        (rows < 0 && at.row < sheet.used.first_row) ||
                        (columns > 0 && at.column > sheet.used.last_column()) ||
                        (columns < 0 && at.column < sheet.used.first_column);
    if (beyond) break;
  }
  return edge;
}

}  // namespace

std::optional<KeyMove> MoveForKey(int key, Qt::KeyboardModifiers modifiers,
                                  CellPosition from, CellPosition active,
                                  const KeySheet& sheet, int page) {
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool control = modifiers & Qt::ControlModifier;
  CellPosition to = from;
  bool extend = shift;
  switch (key) {
    case Qt::Key_Up:
      to = control ? Jump(from, -1, 0, sheet)
                   : CellPosition{from.row - 1, from.column};
      break;
    case Qt::Key_Down:
      to = control ? Jump(from, 1, 0, sheet)
                   : CellPosition{from.row + 1, from.column};
      break;
    case Qt::Key_Left:
      to = control ? Jump(from, 0, -1, sheet)
                   : CellPosition{from.row, from.column - 1};
      break;
    case Qt::Key_Right:
      to = control ? Jump(from, 0, 1, sheet)
                   : CellPosition{from.row, from.column + 1};
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
      to = {sheet.used.last_row(), sheet.used.last_column()};
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
