// SPDX-License-Identifier: MIT

#pragma once

#include <QHeaderView>

namespace kestrilo::gui {

class SheetGrid;

/// The column letters or row numbers of a SheetGrid, drawn as spreadsheets
/// draw them: a light band whose sections turn blue where the selection
/// reaches, darker where whole columns or rows are selected. A press near
/// a section border resizes the section; elsewhere the grid selects whole
/// columns or rows with it.
class GridHeader : public QHeaderView {
  Q_OBJECT

 public:
  GridHeader(Qt::Orientation orientation, SheetGrid* grid);

 protected:
  void paintSection(QPainter* painter, const QRect& rect,
                    int logical_index) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool OnBorder(QPoint pos) const;

  SheetGrid* grid_;
  bool resizing_ = false;
};

}  // namespace kestrilo::gui
