#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

#include "engine/model/block_geometry.h"

class QPainter;

namespace kestrilo::gui {

class SheetGrid;

/// One cell's text as the grid draws it: the text (the value's own, or
/// "###" for a number that doesn't fit), the viewport rectangle it may use
/// and where it sits there. A text too wide for its cell reaches into the
/// empty cells beside it; a merged area's text uses the whole area.
struct TextRun {
  std::int32_t row = 1;
  std::int32_t column = 1;
  QString text;
  QRect rect;
  Qt::Alignment alignment;
  /// The run covers more than its own cell: the grid lines inside it are
  /// not drawn.
  bool joined = false;
};

/// Paints the cells of a SheetGrid's viewport as spreadsheets do: grid
/// lines, texts spilling into empty neighbours, "###" for numbers and dates
/// too wide for their column, merged areas as one cell. It looks up only
/// the cells on screen and a few columns beside them.
class CellPainter {
 public:
  explicit CellPainter(const SheetGrid& grid);

  /// The texts drawn within `area` (viewport coordinates).
  std::vector<TextRun> Runs(const QRect& area) const;
  void Paint(QPainter& painter, const QRect& area) const;
  /// The selection over the cells: a tint with the active cell left white,
  /// and a border round a single area or round the active cell.
  void PaintSelection(QPainter& painter) const;

 private:
  struct Lines {
    int first = 0;  // 0-based, inclusive
    int last = -1;
  };

  static Lines LinesBetween(int count, int first, int last);
  Lines VisibleRows(const QRect& area) const;
  Lines VisibleColumns(const QRect& area) const;
  QRect CellRect(int row, int column) const;
  void AddMergedRuns(const QRect& area, std::vector<TextRun>& runs) const;
  void AddRowRuns(int row, Lines columns, std::vector<TextRun>& runs) const;
  bool Covered(int row, int column) const;
  void DrawGridLines(QPainter& painter, const QRect& area) const;
  QRect AreaRect(const BlockGeometry& area) const;

  const SheetGrid& grid_;
};

}  // namespace kestrilo::gui
