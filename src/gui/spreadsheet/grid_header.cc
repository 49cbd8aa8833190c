// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/grid_header.h"

#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

#include "gui/spreadsheet/grid_colors.h"
#include "gui/spreadsheet/sheet_grid.h"

namespace kestrilo::gui {

namespace {

// How near a section border, in pixels, a press resizes instead of
// selecting.
constexpr int kBorderGrip = 3;

}  // namespace

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

bool GridHeader::OnBorder(QPoint pos) const {
  const int at = orientation() == Qt::Horizontal ? pos.x() : pos.y();
  const int section = logicalIndexAt(at);
  if (section < 0) return false;
  const int start = sectionViewportPosition(section);
  const int end = start + sectionSize(section);
  return std::abs(at - end) <= kBorderGrip ||
         (section > 0 && std::abs(at - start) <= kBorderGrip);
}

void GridHeader::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  if (OnBorder(pos)) {
    resizing_ = true;
    QHeaderView::mousePressEvent(event);
    return;
  }
  grid_->PressHeader(orientation(), pos, event->modifiers());
}

void GridHeader::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (resizing_) {
    QHeaderView::mouseMoveEvent(event);
  } else if (grid_->dragging()) {
    if (event->buttons() & Qt::LeftButton) {
      grid_->DragHeader(orientation(), pos);
    }
  } else if (OnBorder(pos)) {
    QHeaderView::mouseMoveEvent(event);  // the resize pointer
  } else {
    viewport()->unsetCursor();
  }
}

void GridHeader::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (resizing_) {
    resizing_ = false;
    QHeaderView::mouseReleaseEvent(event);
    return;
  }
  grid_->ReleaseHeader();
}

void GridHeader::mouseDoubleClickEvent(QMouseEvent* event) {
  // No fitting to contents on a border: measuring a million rows would
  // stall. Elsewhere it is one more press.
  if (!OnBorder(event->position().toPoint())) mousePressEvent(event);
}

}  // namespace kestrilo::gui
