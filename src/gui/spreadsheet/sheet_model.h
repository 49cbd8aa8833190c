#pragma once

#include <QAbstractTableModel>
#include <QString>

#include "engine/model/block_geometry.h"
#include "engine/model/cell_value.h"
#include "engine/model/sheet.h"

namespace kestrilo::gui {

/// The cells of one worksheet as a table model. It reaches a margin past the
/// sheet's used range, as a spreadsheet's scroll bars do, and grows (up to
/// 1,048,576 rows by 16,384 columns, A ... XFD) as the user moves beyond
/// it. Nothing is copied: the view asks for the few cells it shows and each
/// is looked up in the sheet.
class SheetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit SheetModel(QObject* parent = nullptr);

  /// Shows `sheet` (nullptr: a blank sheet). The sheet must outlive its use
  /// here; pass nullptr before freeing it.
  void SetSheet(const Sheet* sheet);
  const Sheet* sheet() const { return sheet_; }

  /// Grows the model to reach past (row, column) by the margin; never
  /// shrinks it.
  void Reach(std::int32_t row, std::int32_t column);

  /// The value at a 1-based row and column; empty without a sheet.
  CellValue Cell(std::int32_t row, std::int32_t column) const;

  /// What the grid shows for a value: its text form, and for error values
  /// their code (the XML writer reads those as empty).
  static QString DisplayText(const CellValue& value);
  /// Where a value sits in its cell: numbers and dates to the right, truth
  /// values and error codes centred, texts to the left.
  static Qt::Alignment Alignment(const CellValue& value);

  /// The cells of `area` as tab-separated lines ending in CR LF, as
  /// spreadsheets put them on the clipboard.
  QString TabSeparatedText(const BlockGeometry& area) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const Sheet* sheet_ = nullptr;
  int rows_;
  int columns_;
};

}  // namespace kestrilo::gui
