// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/cell_painter.h"

#include <QPainter>
#include <QTextLayout>
#include <algorithm>

#include "engine/model/sheet.h"
#include "gui/spreadsheet/fitted_text.h"
#include "gui/spreadsheet/grid_colors.h"
#include "gui/spreadsheet/grid_fonts.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/sheet_model.h"

namespace kestrilo::gui {

namespace {

// Columns looked at beside the screen for a text reaching into it. A text
// from further away is cut where the screen begins, which only happens for
// texts wider than this many columns.
constexpr int kSpillReach = 32;

// A cell's rectangle without its own right and bottom grid lines.
QRect Inside(const QRect& rect) { return rect.adjusted(0, 0, -1, -1); }

// Where a cell's text goes: inside its lines, padded across and kept off
// the bottom line.
QRect TextBox(const QRect& rect) {
  return Inside(rect).adjusted(kCellPadding, 0, -kCellPadding, -2);
}

// Colours come as 0xAARRGGBB, 0 for none; a colour given is opaque.
QColor ColorOf(std::uint32_t argb) {
  return argb != 0 ? QColor::fromRgb(argb) : QColor();
}

bool Wraps(const CellStyle& style, CellKind kind) {
  return kind == CellKind::kText &&
         (style.wrap || style.horizontal == HorizontalAlignment::kJustify ||
          style.horizontal == HorizontalAlignment::kDistributed);
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

TextRun CellPainter::MakeRun(std::int32_t row, std::int32_t column,
                             const CellValue& value, const QRect& cell) const {
  const SheetModel& model = *grid_.sheet_model();
  const std::uint32_t style_index = model.StyleIndex(row, column);
  const CellStyle& style = model.Style(style_index);
  TextRun run;
  run.row = row;
  run.column = column;
  run.rect = cell;
  run.cell = cell;
  run.alignment = SheetModel::Alignment(style, value.kind);
  run.wrap = Wraps(style, value.kind);
  run.font = GridFonts::IndexOf(style);
  run.fill = ColorOf(style.fill_color);
  const GridFonts::Variant& font = grid_.fonts().variant(run.font);
  const int available = TextBox(cell).width();
  FittedText fitted =
      FitCellText(value, model.Format(style_index), font, available, rendered_);
  run.color = fitted.color.isValid()  ? fitted.color
              : style.font_color != 0 ? ColorOf(style.font_color)
                                      : QColor(Qt::black);
  run.fill_at = fitted.fill_at;
  run.fill_with = std::move(fitted.fill_with);
  run.text = std::move(fitted.text);
  run.width = fitted.width;
  if (style.horizontal == HorizontalAlignment::kFill && !fitted.overflow &&
      run.fill_at < 0 && run.width > 0) {
    // "Fill" repeats the text as often as it fits across the cell.
    run.text = run.text.repeated(std::max(1, available / run.width));
    run.width = font.metrics.horizontalAdvance(run.text);
  }
  return run;
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
    TextRun run =
        MakeRun(merged.first_row, merged.first_column,
                sheet.Cell(merged.first_row, merged.first_column),
                QRect(top_left.topLeft(), bottom_right.bottomRight()));
    run.joined = true;
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
    TextRun run = MakeRun(row + 1, column + 1, value, CellRect(row, column));
    if (value.kind == CellKind::kText && !run.wrap && run.fill_at < 0) {
      // Up to the filled cells on either side.
      Spill(run, i > 0 ? filled[i - 1].first + 1 : first,
            i + 1 < filled.size() ? filled[i + 1].first - 1 : last, any_merged);
    }
    runs.push_back(std::move(run));
  }
}

// A text too wide for its cell reaches into the empty cells from `first` to
// `last` (0-based columns) where its alignment places it: left-aligned text
// to the right, right-aligned text to the left, centred text both ways.
void CellPainter::Spill(TextRun& run, int first, int last,
                        bool any_merged) const {
  const int needed = run.width + 2 * kCellPadding;
  const QRect& cell = run.cell;
  if (needed <= cell.width()) return;
  int want_left = cell.left();
  if (run.alignment & Qt::AlignRight) {
    want_left = cell.right() + 1 - needed;
  } else if (run.alignment & Qt::AlignHCenter) {
    want_left = cell.left() + (cell.width() - needed) / 2;
  }
  const int want_right = want_left + needed - 1;
  const int row = run.row - 1;
  for (int next = run.column - 2; run.rect.left() > want_left && next >= first;
       --next) {
    if (any_merged && Covered(run.row, next + 1)) break;
    run.rect = run.rect.united(CellRect(row, next));
    run.joined = true;
  }
  for (int next = run.column; run.rect.right() < want_right && next <= last;
       ++next) {
    if (any_merged && Covered(run.row, next + 1)) break;
    run.rect = run.rect.united(CellRect(row, next));
    run.joined = true;
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
  // A run's cells' own bottom and right lines stay; lines inside go. Fills
  // come after, so that a spill never wipes one out.
  for (const TextRun& run : runs) {
    if (run.joined) painter.fillRect(Inside(run.rect), Qt::white);
  }
  for (const TextRun& run : runs) {
    if (run.fill.isValid()) painter.fillRect(run.cell, run.fill);
  }
  DrawTexts(painter, runs, area);
}

void CellPainter::DrawTexts(QPainter& painter, const std::vector<TextRun>& runs,
                            const QRect& area) const {
  // Font by font: texts never overlap, and changing the painter's font
  // looks the font up anew each time.
  std::vector<const TextRun*> order;
  order.reserve(runs.size());
  for (const TextRun& run : runs) order.push_back(&run);
  std::stable_sort(
      order.begin(), order.end(),
      [](const TextRun* a, const TextRun* b) { return a->font < b->font; });
  int font = -1;
  for (const TextRun* run : order) {
    if (run->font != font) {
      font = run->font;
      painter.setFont(grid_.fonts().variant(run->font).font);
    }
    if (painter.pen().color() != run->color) painter.setPen(run->color);
    DrawRun(painter, *run, area);
  }
}

void CellPainter::DrawRun(QPainter& painter, const TextRun& run,
                          const QRect& area) const {
  const QFontMetrics& metrics = grid_.fonts().variant(run.font).metrics;
  const QRect box = TextBox(run.cell);
  if (run.wrap) {
    painter.setClipRect(Inside(run.cell).intersected(area));
    DrawWrapped(painter, run);
    painter.setClipping(false);
    return;
  }
  // Placed by hand: drawing into a rectangle with alignment flags lays the
  // text out anew each time, several times slower.
  const int width = run.width;
  int x = box.left();
  if (run.fill_at < 0 && (run.alignment & Qt::AlignRight)) {
    x = box.right() + 1 - width;
  } else if (run.fill_at < 0 && (run.alignment & Qt::AlignHCenter)) {
    x += (box.width() - width) / 2;
  }
  int y = box.bottom() - metrics.descent();
  if (run.alignment & Qt::AlignTop) {
    y = box.top() + metrics.ascent();
  } else if (run.alignment & Qt::AlignVCenter) {
    y = box.top() + (box.height() + metrics.ascent() - metrics.descent()) / 2;
  }
  const QRect room = TextBox(run.rect);
  const bool fits = x >= room.left() && x + width <= room.right() + 1 &&
                    box.height() >= metrics.height();
  if (!fits) painter.setClipRect(Inside(run.rect).intersected(area));
  if (run.fill_at < 0) {
    painter.drawText(QPoint(x, y), run.text);
  } else {
    // The text before the fill starts the cell, the rest ends it, and the
    // fill character repeats between them.
    const QString before = run.text.left(run.fill_at);
    const QString after = run.text.mid(run.fill_at);
    const int after_width = metrics.horizontalAdvance(after);
    const int gap = box.width() - width;
    const int step = metrics.horizontalAdvance(run.fill_with);
    const QString filler =
        step > 0 && gap > 0 ? run.fill_with.repeated(gap / step) : QString();
    painter.drawText(QPoint(x, y), before + filler);
    painter.drawText(QPoint(box.right() + 1 - after_width, y), after);
  }
  if (!fits) painter.setClipping(false);
}

// A text broken into lines across its cell. Lines too many for the cell
// show from the first on, as many as fit whole (one at the least), as
// spreadsheets show them; the rest stay hidden rather than leaving a word
// of the middle alone in view.
CellPainter::WrappedText CellPainter::Wrap(const TextRun& run) const {
  const QRect box = TextBox(run.cell);
  WrappedText wrapped;
  wrapped.layout = std::make_unique<QTextLayout>(
      run.text, grid_.fonts().variant(run.font).font, grid_.viewport());
  QTextOption option(run.alignment & Qt::AlignHorizontal_Mask);
  option.setWrapMode(QTextOption::WordWrap);
  wrapped.layout->setTextOption(option);
  qreal height = 0;
  wrapped.layout->beginLayout();
  for (QTextLine line = wrapped.layout->createLine(); line.isValid();
       line = wrapped.layout->createLine()) {
    line.setLineWidth(box.width());
    line.setPosition(QPointF(0, height));
    height += line.height();
    if (wrapped.shown == 0 || height <= box.height()) ++wrapped.shown;
  }
  wrapped.layout->endLayout();
  wrapped.origin = box.topLeft();
  if (height <= box.height()) {
    if (run.alignment & Qt::AlignBottom) {
      wrapped.origin.ry() = box.bottom() + 1 - height;
    } else if (run.alignment & Qt::AlignVCenter) {
      wrapped.origin.ry() = box.top() + (box.height() - height) / 2;
    }
  }
  return wrapped;
}

QStringList CellPainter::LinesShown(const TextRun& run) const {
  const WrappedText wrapped = Wrap(run);
  QStringList lines;
  for (int i = 0; i < wrapped.shown; ++i) {
    const QTextLine line = wrapped.layout->lineAt(i);
    lines << run.text.mid(line.textStart(), line.textLength()).trimmed();
  }
  return lines;
}

void CellPainter::DrawWrapped(QPainter& painter, const TextRun& run) const {
  const WrappedText wrapped = Wrap(run);
  for (int i = 0; i < wrapped.shown; ++i) {
    wrapped.layout->lineAt(i).draw(&painter, wrapped.origin);
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
    // The active cell stays white inside the tint, as in spreadsheets; an
    // empty clip would clip nothing, so an area of the active cell alone
    // gets no tint at all.
    const QRegion tinted = QRegion(rect).subtracted(QRegion(active));
    if (tinted.isEmpty()) continue;
    painter.setClipRegion(tinted);
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
