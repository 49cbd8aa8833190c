// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/sheet_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <optional>

#include "engine/model/block_clip.h"
#include "gui/spreadsheet/cell_painter.h"
#include "gui/spreadsheet/grid_colors.h"
#include "gui/spreadsheet/grid_header.h"
#include "gui/spreadsheet/section_sizes.h"
#include "gui/spreadsheet/sheet_model.h"

namespace kestrilo::gui {

namespace {

// Where one selected area lies along a header, and whether it spans the
// whole sheet the other way.
struct AreaSpan {
  std::int32_t first;
  std::int32_t last;
  bool whole;
};

// The strongest mark the selected areas give header section `index`.
template <typename SpanOf>
SectionMark MarkOf(const std::vector<BlockGeometry>& areas, std::int32_t index,
                   SpanOf span_of) {
  SectionMark mark = SectionMark::kNone;
  for (const BlockGeometry& area : areas) {
    const AreaSpan span = span_of(area);
    if (index < span.first || index > span.last) continue;
    if (span.whole) return SectionMark::kWhole;
    mark = SectionMark::kPartly;
  }
  return mark;
}

constexpr int kAutoScrollIntervalMs = 40;
// Copying more than this many cells to the clipboard is refused: the text
// would be unusable anyway and building it would stall the window.
constexpr std::int64_t kMaxCopiedCells = 1'000'000;

}  // namespace

SheetGrid::SheetGrid(QWidget* parent)
    : QTableView(parent), model_(new SheetModel(this)), fonts_(font()) {
  setHorizontalHeader(new GridHeader(Qt::Horizontal, this));
  setVerticalHeader(new GridHeader(Qt::Vertical, this));
  setModel(model_);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setCornerButtonEnabled(true);
  setStyleSheet(QStringLiteral("QTableView { gridline-color: %1; }")
                    .arg(grid_colors::kGridLine.name()));

  // Sections are sized from the sheet's layout, never by measuring
  // contents, which keeps a million rows cheap.
  const QFontMetrics metrics(font());
  const int row_height = metrics.height() + 6;
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setMinimumSectionSize(4);
    header->setSectionResizeMode(QHeaderView::Interactive);
  }
  horizontalHeader()->setFixedHeight(row_height);
  verticalHeader()->setMinimumWidth(
      metrics.horizontalAdvance(QStringLiteral("1048576")) + 14);

  scroll_timer_.setInterval(kAutoScrollIntervalMs);
  connect(&scroll_timer_, &QTimer::timeout, this, &SheetGrid::AutoScroll);
  connect(model_, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) {
            ApplyLayout(Qt::Vertical, first, last);
          });
  connect(model_, &QAbstractItemModel::columnsInserted, this,
          [this](const QModelIndex&, int first, int last) {
            ApplyLayout(Qt::Horizontal, first, last);
          });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int value) { GrowAtScrollEnd(Qt::Vertical, value); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int value) { GrowAtScrollEnd(Qt::Horizontal, value); });
  ApplyLayout(Qt::Horizontal, 0, model_->columnCount() - 1);
  ApplyLayout(Qt::Vertical, 0, model_->rowCount() - 1);
}

void SheetGrid::ApplyLayout(Qt::Orientation orientation, int first, int last) {
  const Sheet* sheet = model_->sheet();
  const bool columns = orientation == Qt::Horizontal;
  QHeaderView* header = columns ? horizontalHeader() : verticalHeader();
  const double dpi = columns ? logicalDpiX() : logicalDpiY();
  if (first == 0) {
    std::optional<float> points;
    if (sheet != nullptr) {
      points = columns ? sheet->layout().default_column_width()
                       : sheet->layout().default_row_height();
    }
    header->setDefaultSectionSize(PointsToPixels(
        points.value_or(columns ? kDefaultColumnPoints : kDefaultRowPoints),
        dpi));
  }
  if (sheet != nullptr) {
    ApplySpans(*header,
               columns ? sheet->layout().columns() : sheet->layout().rows(),
               dpi, first, last);
  }
  updateGeometries();
  viewport()->update();
}

void SheetGrid::FillViewport() {
  // Empty space beside the last column or below the last row shows more of
  // the sheet instead, as in spreadsheets.
  const int columns = model_->columnCount();
  if (columns < kMaxColumns &&
      columnViewportPosition(columns - 1) + columnWidth(columns - 1) <
          viewport()->width()) {
    model_->Reach(0, columns);
  }
  const int rows = model_->rowCount();
  if (rows < kMaxRows && rowViewportPosition(rows - 1) + rowHeight(rows - 1) <
                             viewport()->height()) {
    model_->Reach(rows, 0);
  }
}

void SheetGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  FillViewport();
}

void SheetGrid::GrowAtScrollEnd(Qt::Orientation orientation, int value) {
  // As in spreadsheets, scrolling on at the end of the sheet's extent
  // brings more empty rows or columns.
  const QScrollBar* bar =
      orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
  if (value < bar->maximum() || bar->maximum() == 0) return;
  if (orientation == Qt::Vertical) {
    model_->Reach(model_->rowCount(), 0);
  } else {
    model_->Reach(0, model_->columnCount());
  }
}

void SheetGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) fonts_ = GridFonts(font());
}

void SheetGrid::SetSheet(const Sheet* sheet, const StyleTable* styles) {
  model_->SetSheet(sheet, styles);
  ApplyLayout(Qt::Horizontal, 0, model_->columnCount() - 1);
  ApplyLayout(Qt::Vertical, 0, model_->rowCount() - 1);
  FillViewport();
  areas_ = {{1, 1, 1, 1}};
  anchor_ = extent_ = {1, 1};
  area_mode_ = Mode::kCells;
  SetActive({1, 1});
  scrollToTop();
  horizontalScrollBar()->setValue(0);
  Changed();
}

void SheetGrid::SelectAreas(const std::vector<BlockGeometry>& areas) {
  if (areas.empty()) return;
  areas_ = areas;
  const BlockGeometry& first = areas.front();
  anchor_ = {first.first_row, first.first_column};
  extent_ = {areas.back().last_row(), areas.back().last_column()};
  area_mode_ = Mode::kCells;
  model_->Reach(anchor_.row, anchor_.column);
  SetActive(anchor_);
  scrollTo(model_->index(active_.row - 1, active_.column - 1));
  Changed();
}

SheetGrid::Selection SheetGrid::selection() const {
  return {areas_,
          active_,
          anchor_,
          extent_,
          area_mode_,
          {horizontalScrollBar()->value(), verticalScrollBar()->value()}};
}

void SheetGrid::RestoreSelection(const Selection& selection) {
  if (selection.areas.empty()) return;
  areas_ = selection.areas;
  anchor_ = selection.anchor;
  extent_ = selection.extent;
  area_mode_ = selection.mode;
  // The rows and columns shown, and the cells of the selection, exist.
  model_->Reach(std::max(selection.active.row, extent_.row),
                std::max(selection.active.column, extent_.column));
  SetActive(selection.active);
  horizontalScrollBar()->setValue(selection.scroll.x());
  verticalScrollBar()->setValue(selection.scroll.y());
  Changed();
}

std::vector<TextRun> SheetGrid::TextRunsShown() const {
  return CellPainter(*this).Runs(viewport()->rect());
}

SectionMark SheetGrid::ColumnMark(std::int32_t column) const {
  return MarkOf(areas_, column, [](const BlockGeometry& area) {
    return AreaSpan{area.first_column, area.last_column(),
                    area.row_count == kMaxRows};
  });
}

SectionMark SheetGrid::RowMark(std::int32_t row) const {
  return MarkOf(areas_, row, [](const BlockGeometry& area) {
    return AreaSpan{area.first_row, area.last_row(),
                    area.column_count == kMaxColumns};
  });
}

void SheetGrid::selectAll() {
  areas_ = {{1, kMaxRows, 1, kMaxColumns}};
  anchor_ = extent_ = active_;
  area_mode_ = Mode::kCells;
  Changed();
}

void SheetGrid::keyboardSearch(const QString&) {
  // Typing is not a search here: matching a million rows would stall.
}

BlockGeometry SheetGrid::AreaBetween(CellPosition from, CellPosition to,
                                     Mode mode) const {
  const std::int32_t top = std::min(from.row, to.row);
  const std::int32_t bottom = std::max(from.row, to.row);
  const std::int32_t left = std::min(from.column, to.column);
  const std::int32_t right = std::max(from.column, to.column);
  BlockGeometry area{top, bottom - top + 1, left, right - left + 1};
  // Whole columns and rows are what their headers say, as in spreadsheets:
  // a merged area across them widens only a block of cells.
  if (mode == Mode::kColumns) return {1, kMaxRows, left, right - left + 1};
  if (mode == Mode::kRows) return {top, bottom - top + 1, 1, kMaxColumns};
  const Sheet* sheet = model_->sheet();
  return sheet == nullptr
             ? area
             : WithMergedAreas(area, sheet->layout().merged_areas());
}

void SheetGrid::Begin(CellPosition cell, Mode mode,
                      Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ShiftModifier) {
    // Extends the area being made from its anchor; the active cell stays.
    extent_ = cell;
    area_mode_ = mode;
    areas_.back() = AreaBetween(anchor_, extent_, mode);
  } else {
    if (!(modifiers & Qt::ControlModifier)) areas_.clear();
    anchor_ = extent_ = cell;
    area_mode_ = mode;
    areas_.push_back(AreaBetween(cell, cell, mode));
    SetActive(cell);
  }
  drag_ = mode;
  Changed();
}

void SheetGrid::DragTo(QPoint viewport_point) {
  drag_point_ = viewport_point;
  CellPosition cell = CellAt(viewport_point);
  if (drag_ == Mode::kColumns) cell.row = anchor_.row;
  if (drag_ == Mode::kRows) cell.column = anchor_.column;
  if (!(cell == extent_)) {
    extent_ = cell;
    areas_.back() = AreaBetween(anchor_, extent_, area_mode_);
    Changed();
  }
  if (viewport()->rect().contains(viewport_point)) {
    scroll_timer_.stop();
  } else if (!scroll_timer_.isActive()) {
    scroll_timer_.start();
  }
}

void SheetGrid::EndDrag() {
  drag_ = Mode::kNone;
  scroll_timer_.stop();
}

void SheetGrid::AutoScroll() {
  if (drag_ == Mode::kNone) {
    scroll_timer_.stop();
    return;
  }
  const QRect area = viewport()->rect();
  QScrollBar* horizontal = horizontalScrollBar();
  QScrollBar* vertical = verticalScrollBar();
  if (drag_ != Mode::kRows) {
    if (drag_point_.x() < area.left()) {
      horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (drag_point_.x() > area.right()) {
      horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
  }
  if (drag_ != Mode::kColumns) {
    if (drag_point_.y() < area.top()) {
      vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (drag_point_.y() > area.bottom()) {
      vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
  }
  DragTo(drag_point_);
}

CellPosition SheetGrid::CellAt(QPoint viewport_point) const {
  const QRect area = viewport()->rect();
  const int x = std::clamp(viewport_point.x(), 0, std::max(0, area.right()));
  const int y = std::clamp(viewport_point.y(), 0, std::max(0, area.bottom()));
  int column = columnAt(x);
  int row = rowAt(y);
  if (column < 0) column = model_->columnCount() - 1;
  if (row < 0) row = model_->rowCount() - 1;
  return {row + 1, column + 1};
}

std::int32_t SheetGrid::TopVisibleRow() const {
  return std::max(0, rowAt(0)) + 1;
}

std::int32_t SheetGrid::LeftVisibleColumn() const {
  return std::max(0, columnAt(0)) + 1;
}

void SheetGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  setFocus(Qt::MouseFocusReason);
  Begin({index.row() + 1, index.column() + 1}, Mode::kCells,
        event->modifiers());
  drag_point_ = event->position().toPoint();
}

void SheetGrid::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ == Mode::kNone || !(event->buttons() & Qt::LeftButton)) return;
  DragTo(event->position().toPoint());
}

void SheetGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) EndDrag();
}

void SheetGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // No editing: a double click is one more click.
  mousePressEvent(event);
}

void SheetGrid::PressHeader(Qt::Orientation orientation, QPoint pos,
                            Qt::KeyboardModifiers modifiers) {
  const QPoint grid_point = GridPoint(orientation, pos);
  const CellPosition at = CellAt(grid_point);
  setFocus(Qt::MouseFocusReason);
  if (orientation == Qt::Horizontal) {
    Begin({TopVisibleRow(), at.column}, Mode::kColumns, modifiers);
  } else {
    Begin({at.row, LeftVisibleColumn()}, Mode::kRows, modifiers);
  }
  drag_point_ = grid_point;
}

void SheetGrid::DragHeader(Qt::Orientation orientation, QPoint pos) {
  if (drag_ != Mode::kNone) DragTo(GridPoint(orientation, pos));
}

void SheetGrid::ReleaseHeader() { EndDrag(); }

QPoint SheetGrid::GridPoint(Qt::Orientation orientation, QPoint pos) {
  // Header viewports share the grid's scroll offset along their own axis,
  // so a header position maps to the grid by keeping that coordinate.
  return orientation == Qt::Horizontal ? QPoint(pos.x(), 0)
                                       : QPoint(0, pos.y());
}

void SheetGrid::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
  if (event->matches(QKeySequence::SelectAll) ||
      (event->key() == Qt::Key_Space &&
       modifiers == (Qt::ShiftModifier | Qt::ControlModifier))) {
    selectAll();
  } else if (event->matches(QKeySequence::Copy)) {
    CopySelection();
  } else if (event->key() == Qt::Key_Space && modifiers != Qt::NoModifier) {
    // Shift+Space the rows of the area being made, Ctrl+Space its columns.
    SelectWholeLines(modifiers == Qt::ShiftModifier ? Mode::kRows
                                                    : Mode::kColumns);
  } else {
    MoveWithKey(event->key(), event->modifiers());
    return;
  }
  event->accept();
}

void SheetGrid::SelectWholeLines(Mode mode) {
  area_mode_ = mode;
  areas_.back() = AreaBetween(anchor_, extent_, mode);
  Changed();
}

void SheetGrid::MoveWithKey(int key, Qt::KeyboardModifiers modifiers) {
  const CellPosition from = (modifiers & Qt::ShiftModifier) ? extent_ : active_;
  const int page = std::max(
      1, viewport()->height() / verticalHeader()->defaultSectionSize() - 1);
  const Sheet* sheet = model_->sheet();
  KeySheet keys{UsedRange(), [sheet](std::int32_t row, std::int32_t column) {
                  return sheet != nullptr &&
                         !sheet->Cell(row, column).is_empty();
                }};
  const std::optional<KeyMove> move =
      MoveForKey(key, modifiers, from, active_, keys, page);
  if (!move) return;
  CellPosition to = move->to;
  const bool extend = move->extend;
  to.row = std::clamp(to.row, 1, kMaxRows);
  to.column = std::clamp(to.column, 1, kMaxColumns);
  model_->Reach(to.row, to.column);
  if (extend) {
    // Whole rows or columns stay whole as they grow.
    extent_ = to;
    areas_.back() = AreaBetween(anchor_, extent_, area_mode_);
  } else {
    areas_ = {{to.row, 1, to.column, 1}};
    anchor_ = extent_ = to;
    area_mode_ = Mode::kCells;
    SetActive(to);
  }
  scrollTo(model_->index(to.row - 1, to.column - 1));
  Changed();
}

void SheetGrid::CopySelection() const {
  // The last area, as tab-separated lines, as spreadsheets put it on the
  // clipboard; cells beyond the filled part of the sheet add nothing.
  BlockGeometry area = areas_.back();
  const BlockGeometry used = UsedRange();
  area.row_count =
      std::min(area.last_row(), used.last_row()) - area.first_row + 1;
  area.column_count =
      std::min(area.last_column(), used.last_column()) - area.first_column + 1;
  if (area.row_count <= 0 || area.column_count <= 0 ||
      std::int64_t{area.row_count} * area.column_count > kMaxCopiedCells) {
    return;
  }
  QApplication::clipboard()->setText(model_->TabSeparatedText(area));
}

BlockGeometry SheetGrid::UsedRange() const {
  const Sheet* sheet = model_->sheet();
  if (sheet == nullptr || sheet->cell_count() == 0) return {1, 1, 1, 1};
  return sheet->UsedRange().value_or(BlockGeometry{1, 1, 1, 1});
}

void SheetGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const CellPainter cells(*this);
  cells.Paint(painter, event->rect());
  cells.PaintSelection(painter);
}

void SheetGrid::SetActive(CellPosition cell) {
  active_ = cell;
  selectionModel()->setCurrentIndex(
      model_->index(cell.row - 1, cell.column - 1),
      QItemSelectionModel::NoUpdate);
}

void SheetGrid::Changed() {
  viewport()->update();
  horizontalHeader()->viewport()->update();
  verticalHeader()->viewport()->update();
  emit SelectionChanged();
}

}  // namespace kestrilo::gui
