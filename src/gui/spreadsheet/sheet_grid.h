// SPDX-License-Identifier: MIT

#pragma once

#include <QTableView>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/sheet.h"
#include "engine/model/style_table.h"
#include "gui/spreadsheet/cell_painter.h"
#include "gui/spreadsheet/grid_fonts.h"
#include "gui/spreadsheet/key_move.h"

namespace kestrilo::gui {

class SheetModel;

/// How far the selection reaches into one column or row.
enum class SectionMark { kNone, kPartly, kWhole };

/// The cell grid of one worksheet, selecting as spreadsheets do: press and
/// drag for a block, shift+click to extend it, a click or drag on the
/// column letters or row numbers for whole columns or rows, ctrl for a
/// further area, the corner or ctrl+A for the whole sheet, and the arrow
/// keys (with shift to extend). Column widths, row heights and hidden
/// columns and rows come from the sheet's layout; dragging a header border
/// resizes. The selection is kept as a list of areas in
/// the order they were made, overlaps included, as spreadsheets report them.
class SheetGrid : public QTableView {
  Q_OBJECT

 public:
  explicit SheetGrid(QWidget* parent = nullptr);

  /// Shows `sheet` (nullptr: blank) in the workbook's `styles` (nullptr:
  /// the default style) and puts the active cell on A1.
  void SetSheet(const Sheet* sheet, const StyleTable* styles = nullptr);
  SheetModel* sheet_model() const { return model_; }
  /// The grid's font in the variants the cells' styles ask for.
  const GridFonts& fonts() const { return fonts_; }

  /// The selected areas, never empty; the last one is the one being made.
  const std::vector<BlockGeometry>& areas() const { return areas_; }
  /// The cell the keyboard and the formula line refer to.
  CellPosition active_cell() const { return active_; }

  /// Selects `areas` (ignored when empty), makes the first cell of the first
  /// area active and scrolls it into view.
  void SelectAreas(const std::vector<BlockGeometry>& areas);

  /// What the user selected on a sheet, to come back to.
  struct Selection;
  Selection selection() const;
  /// Puts back a selection of the sheet shown, and where it was scrolled.
  void RestoreSelection(const Selection& selection);

  /// The filled part of the sheet; A1 when nothing is filled.
  BlockGeometry UsedRange() const;

  /// The cell texts on screen as they are drawn.
  std::vector<TextRun> TextRunsShown() const;

  SectionMark ColumnMark(std::int32_t column) const;
  SectionMark RowMark(std::int32_t row) const;

  /// Mouse gestures on the column letters or row numbers (positions in the
  /// header's viewport): whole columns or rows, as on cells.
  void PressHeader(Qt::Orientation orientation, QPoint pos,
                   Qt::KeyboardModifiers modifiers);
  void DragHeader(Qt::Orientation orientation, QPoint pos);
  void ReleaseHeader();
  /// Whether a press on the cells or the headers is being dragged.
  bool dragging() const { return drag_ != Mode::kNone; }

  void selectAll() override;
  void keyboardSearch(const QString& search) override;

 signals:
  /// The areas or the active cell changed.
  void SelectionChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  enum class Mode { kNone, kCells, kColumns, kRows };

 public:
  struct Selection {
    std::vector<BlockGeometry> areas;
    CellPosition active;
    CellPosition anchor;
    CellPosition extent;
    Mode mode = Mode::kCells;
    QPoint scroll;
  };

 private:
  // The area from one corner to the other, grown over the merged areas it
  // touches.
  BlockGeometry AreaBetween(CellPosition from, CellPosition to,
                            Mode mode) const;
  void Begin(CellPosition cell, Mode mode, Qt::KeyboardModifiers modifiers);
  void DragTo(QPoint viewport_point);
  void EndDrag();
  void AutoScroll();
  static QPoint GridPoint(Qt::Orientation orientation, QPoint pos);
  void ApplyLayout(Qt::Orientation orientation, int first, int last);
  void GrowAtScrollEnd(Qt::Orientation orientation, int value);
  void FillViewport();
  CellPosition CellAt(QPoint viewport_point) const;
  std::int32_t TopVisibleRow() const;
  std::int32_t LeftVisibleColumn() const;
  void MoveWithKey(int key, Qt::KeyboardModifiers modifiers);
  /// Makes the area being made whole rows or whole columns.
  void SelectWholeLines(Mode mode);
  void CopySelection() const;
  void SetActive(CellPosition cell);
  void Changed();

  SheetModel* model_;
  GridFonts fonts_;
  std::vector<BlockGeometry> areas_{{1, 1, 1, 1}};
  CellPosition active_;
  // The cell an area grows from, and the far corner shift+keys move.
  CellPosition anchor_;
  CellPosition extent_;
  Mode area_mode_ = Mode::kCells;
  Mode drag_ = Mode::kNone;
  QPoint drag_point_;
  QTimer scroll_timer_;
};

}  // namespace kestrilo::gui
