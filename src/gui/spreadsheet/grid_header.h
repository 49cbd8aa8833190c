#pragma once

#include <QHeaderView>

namespace kestrilo::gui {

class SheetGrid;

/// The column letters or row numbers of a SheetGrid, drawn as spreadsheets
/// draw them: a light band whose sections turn blue where the selection
/// reaches, darker where whole columns or rows are selected. Mouse input
/// is left to the grid, which selects whole columns and rows with it.
class GridHeader : public QHeaderView {
  Q_OBJECT

 public:
  GridHeader(Qt::Orientation orientation, SheetGrid* grid);

 protected:
  void paintSection(QPainter* painter, const QRect& rect,
                    int logical_index) const override;

 private:
  SheetGrid* grid_;
};

}  // namespace kestrilo::gui
