#include "gui/spreadsheet/grid_header.h"

#include <QPainter>

#include "gui/spreadsheet/grid_colors.h"
#include "gui/spreadsheet/sheet_grid.h"

namespace kestrilo::gui {

GridHeader::GridHeader(Qt::Orientation orientation, SheetGrid* grid)
    : QHeaderView(orientation, grid), grid_(grid) {
  setSectionsClickable(false);
  setHighlightSections(false);
  setSectionsMovable(false);
  setDefaultAlignment(Qt::AlignCenter);
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect,
                              int logical_index) const {
  const SectionMark mark = orientation() == Qt::Horizontal
                               ? grid_->ColumnMark(logical_index + 1)
                               : grid_->RowMark(logical_index + 1);
  painter->save();
  QColor background = grid_colors::kHeaderBackground;
  if (mark == SectionMark::kPartly) background = grid_colors::kHeaderPartly;
  if (mark == SectionMark::kWhole) background = grid_colors::kHeaderWhole;
  painter->fillRect(rect, background);

  painter->setPen(grid_colors::kHeaderLine);
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());
  if (mark != SectionMark::kNone) {
    // The accent line on the side that faces the cells.
    const QRect accent =
        orientation() == Qt::Horizontal
            ? QRect(rect.left(), rect.bottom() - 1, rect.width(), 2)
            : QRect(rect.right() - 1, rect.top(), 2, rect.height());
    painter->fillRect(accent, grid_colors::kSelectionBorder);
  }

  painter->setPen(mark == SectionMark::kNone ? grid_colors::kHeaderText
                                             : grid_colors::kHeaderTextMarked);
  const QString text =
      model() ? model()->headerData(logical_index, orientation()).toString()
              : QString();
  painter->drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignCenter, text);
  painter->restore();
}

}  // namespace kestrilo::gui
