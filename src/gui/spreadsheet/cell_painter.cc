#include "gui/spreadsheet/cell_painter.h"

#include <QPainter>
#include <algorithm>

#include "engine/model/sheet.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/spreadsheet/grid_colors.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/sheet_model.h"

namespace kestrilo::gui {

namespace {

constexpr int kPadding = 3;
// Columns looked at beside the screen for a text reaching into it. A text
// from further away is cut where the screen begins, which only happens for
// texts wider than this many columns.
constexpr int kSpillReach = 32;

bool IsNumeric(const CellValue& value) {
  return value.kind == CellKind::kNumber || value.kind == CellKind::kDateTime;
}

}  // namespace

CellPainter::CellPainter(const SheetGrid& grid) : grid_(grid) {}

// The rows (columns) from the one at an area's start to the one at its end;
// an end past the last one means the last one.
CellPainter::Lines CellPainter::LinesBetween(int count, int first, int last) {
  if (first < 0 || count == 0) return {};
  return {first, last < 0 ? count - 1 : last};
}

CellPainter::Lines CellPainter::VisibleRows(const QRect& area) const {
  return LinesBetween(grid_.model()->rowCount(), grid_.rowAt(area.top()),
                      grid_.rowAt(area.bottom()));
}

CellPainter::Lines CellPainter::VisibleColumns(const QRect& area) const {
  return LinesBetween(grid_.model()->columnCount(), grid_.columnAt(area.left()),
                      grid_.columnAt(area.right()));
}

QRect CellPainter::CellRect(int row, int column) const {
  return QRect(grid_.columnViewportPosition(column),
               grid_.rowViewportPosition(row), grid_.columnWidth(column),
               grid_.rowHeight(row));
}

std::vector<TextRun> CellPainter::Runs(const QRect& area) const {
  std::vector<TextRun> runs;
  const Sheet* sheet = grid_.sheet_model()->sheet();
  if (sheet == nullptr) return runs;
  const Lines rows = VisibleRows(area);
  const Lines columns = VisibleColumns(area);
  if (rows.last < rows.first || columns.last < columns.first) return runs;
  AddMergedRuns(area, runs);
  for (int row = rows.first; row <= rows.last; ++row) {
    if (!grid_.isRowHidden(row)) AddRowRuns(row, columns, runs);
  }
  // Cells beside the screen were looked at for their spill only.
  std::erase_if(runs,
                [&](const TextRun& run) { return !run.rect.intersects(area); });
  return runs;
}

void CellPainter::AddMergedRuns(const QRect& area,
                                std::vector<TextRun>& runs) const {
  const Sheet& sheet = *grid_.sheet_model()->sheet();
  const Lines rows = VisibleRows(area);
  const Lines columns = VisibleColumns(area);
  const int last_row = grid_.model()->rowCount() - 1;
  const int last_column = grid_.model()->columnCount() - 1;
  for (const BlockGeometry& merged : sheet.layout().merged_areas()) {
    if (merged.first_row - 1 > rows.last) break;  // sorted by first row
    if (merged.last_row() - 1 < rows.first ||
        merged.first_column - 1 > columns.last ||
        merged.last_column() - 1 < columns.first) {
      continue;
    }
    const QRect top_left =
        CellRect(merged.first_row - 1, merged.first_column - 1);
    const QRect bottom_right =
        CellRect(std::min(merged.last_row() - 1, last_row),
                 std::min(merged.last_column() - 1, last_column));
    TextRun run;
    run.row = merged.first_row;
    run.column = merged.first_column;
    run.rect = QRect(top_left.topLeft(), bottom_right.bottomRight());
    run.joined = true;
    const CellValue value = sheet.Cell(run.row, run.column);
    run.alignment = SheetModel::Alignment(value);
    run.text = SheetModel::DisplayText(value);
    if (IsNumeric(value) &&
        grid_.fontMetrics().horizontalAdvance(run.text) + 2 * kPadding >
            run.rect.width()) {
      run.text = Tr(texts::kOverflowMark);
    }
    runs.push_back(std::move(run));
  }
}

bool CellPainter::Covered(int row, int column) const {
  return grid_.sheet_model()->sheet()->layout().MergedAreaAt(row, column) !=
         nullptr;
}

void CellPainter::AddRowRuns(int row, Lines columns,
                             std::vector<TextRun>& runs) const {
  const Sheet& sheet = *grid_.sheet_model()->sheet();
  const bool any_merged = !sheet.layout().merged_areas().empty();
  const int first = std::max(0, columns.first - kSpillReach);
  const int last =
      std::min(grid_.model()->columnCount() - 1, columns.last + kSpillReach);
  // The filled cells of this stretch of the row; empty ones are where text
  // may spill.
  std::vector<std::pair<int, CellValue>> filled;
  for (int column = first; column <= last; ++column) {
    if (grid_.isColumnHidden(column)) continue;
    CellValue value = sheet.Cell(row + 1, column + 1);
    if (value.is_empty()) continue;
    if (any_merged && Covered(row + 1, column + 1)) continue;
    filled.emplace_back(column, value);
  }
  const QFontMetrics& metrics = grid_.fontMetrics();
  for (std::size_t i = 0; i < filled.size(); ++i) {
    const auto& [column, value] = filled[i];
    // Off the screen only the nearest text on either side can reach into
    // it; the rest needs no text made.
    if (column < columns.first || column > columns.last) {
      const bool nearest =
          column < columns.first
              ? i + 1 == filled.size() || filled[i + 1].first >= columns.first
              : i == 0 || filled[i - 1].first <= columns.last;
      if (!nearest || value.kind != CellKind::kText) continue;
    }
    TextRun run;
    run.row = row + 1;
    run.column = column + 1;
    run.text = SheetModel::DisplayText(value);
    run.alignment = SheetModel::Alignment(value);
    run.rect = CellRect(row, column);
    const int needed = metrics.horizontalAdvance(run.text) + 2 * kPadding;
    if (needed > run.rect.width()) {
      if (IsNumeric(value)) {
        run.text = Tr(texts::kOverflowMark);
      } else if (value.kind == CellKind::kText) {
        // Left-aligned text reaches right up to the next filled cell,
        // right-aligned text left down to the previous one.
        const bool right = run.alignment & Qt::AlignRight;
        const int stop =
            right ? (i > 0 ? filled[i - 1].first + 1 : first)
                  : (i + 1 < filled.size() ? filled[i + 1].first - 1 : last);
        for (int next = column; run.rect.width() < needed && next != stop;) {
          next += right ? -1 : 1;
          if (any_merged && Covered(row + 1, next + 1)) break;
          run.rect = run.rect.united(CellRect(row, next));
          run.joined = true;
        }
      }
    }
    runs.push_back(std::move(run));
  }
}

void CellPainter::DrawGridLines(QPainter& painter, const QRect& area) const {
  const Lines rows = VisibleRows(area);
  const Lines columns = VisibleColumns(area);
  painter.setPen(grid_colors::kGridLine);
  const int bottom =
      rows.last >= rows.first
          ? grid_.rowViewportPosition(rows.last) + grid_.rowHeight(rows.last)
          : 0;
  const int right = columns.last >= columns.first
                        ? grid_.columnViewportPosition(columns.last) +
                              grid_.columnWidth(columns.last)
                        : 0;
  // Each cell ends on its own right and bottom line.
  for (int column = columns.first; column <= columns.last; ++column) {
    if (grid_.isColumnHidden(column)) continue;
    const int x =
        grid_.columnViewportPosition(column) + grid_.columnWidth(column) - 1;
    painter.drawLine(x, area.top(), x, std::min(bottom, area.bottom()));
  }
  for (int row = rows.first; row <= rows.last; ++row) {
    if (grid_.isRowHidden(row)) continue;
    const int y = grid_.rowViewportPosition(row) + grid_.rowHeight(row) - 1;
    painter.drawLine(area.left(), y, std::min(right, area.right()), y);
  }
}

void CellPainter::Paint(QPainter& painter, const QRect& area) const {
  painter.fillRect(area, Qt::white);
  DrawGridLines(painter, area);
  const std::vector<TextRun> runs = Runs(area);
  painter.setPen(Qt::black);
  const QFontMetrics metrics = grid_.fontMetrics();
  for (const TextRun& run : runs) {
    // The cell's own bottom and right lines stay; lines inside go.
    const QRect inside = run.rect.adjusted(0, 0, -1, -1);
    if (run.joined) painter.fillRect(inside, Qt::white);
    // Placed by hand: drawing into a rectangle with alignment flags lays
    // the text out anew each time, several times slower.
    const QRect box = inside.adjusted(kPadding, 0, -kPadding, -2);
    const int width = metrics.horizontalAdvance(run.text);
    int x = box.left();
    if (run.alignment & Qt::AlignRight) x = box.right() + 1 - width;
    if (run.alignment & Qt::AlignHCenter) x += (box.width() - width) / 2;
    const bool middle =
        run.joined && run.rect.height() > grid_.rowHeight(run.row - 1);
    const int y =
        middle ? box.top() +
                     (box.height() + metrics.ascent() - metrics.descent()) / 2
               : box.bottom() - metrics.descent();
    const bool fits = width <= box.width() && box.height() >= metrics.height();
    if (!fits) painter.setClipRect(inside.intersected(area));
    painter.drawText(QPoint(x, y), run.text);
    if (!fits) painter.setClipping(false);
  }
}

QRect CellPainter::AreaRect(const BlockGeometry& area) const {
  // Whole columns reach past the grid's extent: they end where it ends.
  const int rows = grid_.model()->rowCount();
  const int columns = grid_.model()->columnCount();
  if (area.first_row > rows || area.first_column > columns) return {};
  const int last_column = std::min(area.last_column(), columns) - 1;
  const int last_row = std::min(area.last_row(), rows) - 1;
  const int left = grid_.columnViewportPosition(area.first_column - 1);
  const int right = grid_.columnViewportPosition(last_column) +
                    grid_.columnWidth(last_column);
  const int top = grid_.rowViewportPosition(area.first_row - 1);
  const int bottom =
      grid_.rowViewportPosition(last_row) + grid_.rowHeight(last_row);
  // Cells end on their right and bottom grid lines.
  return QRect(QPoint(left - 1, top - 1), QPoint(right - 1, bottom - 1));
}

void CellPainter::PaintSelection(QPainter& painter) const {
  const std::vector<BlockGeometry>& areas = grid_.areas();
  const CellPosition active_cell = grid_.active_cell();
  const QRect visible = grid_.viewport()->rect().adjusted(-4, -4, 4, 4);
  const QRect active = AreaRect({active_cell.row, 1, active_cell.column, 1})
                           .intersected(visible);
  for (const BlockGeometry& area : areas) {
    const QRect rect = AreaRect(area).intersected(visible);
    if (rect.isEmpty()) continue;
    // The active cell stays white inside the tint, as in spreadsheets.
    painter.setClipRegion(QRegion(rect).subtracted(QRegion(active)));
    painter.fillRect(rect, grid_colors::kSelectionFill);
  }
  painter.setClipping(false);
  QPen pen(grid_colors::kSelectionBorder, 2);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  if (areas.size() == 1) {
    const QRect rect = AreaRect(areas.front()).intersected(visible);
    if (!rect.isEmpty()) painter.drawRect(rect.adjusted(1, 1, 0, 0));
  } else if (!active.isEmpty()) {
    pen.setWidth(1);
    painter.setPen(pen);
    painter.drawRect(active.adjusted(1, 1, -1, -1));
  }
}

}  // namespace kestrilo::gui
