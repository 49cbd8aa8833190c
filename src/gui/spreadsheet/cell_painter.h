// SPDX-License-Identifier: MIT

#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTextLayout>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/cell_value.h"

class QPainter;

namespace kestrilo::gui {

class SheetGrid;

/// Pixels kept free between a cell's text and its sides; the cell's own
/// grid line on its right comes besides.
inline constexpr int kCellPadding = 3;

/// One cell's text as the grid draws it, and how: the text its number
/// format gives (General numbers rounded to the column, "###" for a number
/// or date that doesn't fit), the viewport rectangle it may use, where it
/// sits in its cell, its font, colour and fill. A text too wide for its
/// cell reaches into the empty cells beside it; a merged area's text uses
/// the whole area.
struct TextRun {
  std::int32_t row = 1;
  std::int32_t column = 1;
  /// Without a format's "*x" fill, which `fill_at` places.
  QString text;
  /// The text's advance in its font, in pixels.
  int width = 0;
  /// Where the text may be drawn.
  QRect rect;
  /// Its own cell, or merged area: the text is placed in it and its fill
  /// covers it.
  QRect cell;
  /// Across (left, centre, right, justify) and from top to bottom.
  Qt::Alignment alignment;
  /// The run covers more than its own cell: the grid lines inside it are
  /// not drawn.
  bool joined = false;
  /// The text breaks into lines within its cell.
  bool wrap = false;
  /// The variant of the grid's font (GridFonts).
  std::uint8_t font = 0;
  QColor color;
  /// The cell's fill; invalid for none.
  QColor fill;
  /// Where a format's "*x" repeats `fill_with` to fill the cell (an index
  /// into `text`), or -1.
  qsizetype fill_at = -1;
  QString fill_with;
};

/// Paints the cells of a SheetGrid's viewport as spreadsheets do: grid
/// lines, fills, texts in their cells' fonts and colours spilling into
/// empty neighbours, merged areas as one cell. It looks up only the cells
/// on screen and a few columns beside them.
class CellPainter {
 public:
  explicit CellPainter(const SheetGrid& grid);

  /// The texts drawn within `area` (viewport coordinates).
  std::vector<TextRun> Runs(const QRect& area) const;
  void Paint(QPainter& painter, const QRect& area) const;
  /// The lines of a wrapped run that show: those that fit its cell whole,
  /// from the first on (always the first).
  QStringList LinesShown(const TextRun& run) const;
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
  TextRun MakeRun(std::int32_t row, std::int32_t column, const CellValue& value,
                  const QRect& cell) const;
  void AddMergedRuns(const QRect& area, std::vector<TextRun>& runs) const;
  void AddRowRuns(int row, Lines columns, std::vector<TextRun>& runs) const;
  void Spill(TextRun& run, int first, int last, bool any_merged) const;
  bool Covered(int row, int column) const;
  void DrawGridLines(QPainter& painter, const QRect& area) const;
  void DrawTexts(QPainter& painter, const std::vector<TextRun>& runs,
                 const QRect& area) const;
  void DrawRun(QPainter& painter, const TextRun& run, const QRect& area) const;
  /// A wrapped run laid out in its cell: the lines shown, from the first,
  /// and where the first one starts.
  struct WrappedText {
    std::unique_ptr<QTextLayout> layout;
    int shown = 0;
    QPointF origin;
  };
  WrappedText Wrap(const TextRun& run) const;
  void DrawWrapped(QPainter& painter, const TextRun& run) const;
  QRect AreaRect(const BlockGeometry& area) const;

  const SheetGrid& grid_;
  // Rendering room reused from cell to cell.
  mutable std::string rendered_;
};

}  // namespace kestrilo::gui
