// SPDX-License-Identifier: MIT

#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <memory>

#include "engine/display/compiled_format.h"
#include "engine/display/style_formats.h"
#include "engine/model/block_geometry.h"
#include "engine/model/cell_style.h"
#include "engine/model/cell_value.h"
#include "engine/model/sheet.h"
#include "engine/model/style_table.h"

namespace kestrilo::gui {

/// The cells of one worksheet as a table model: their values, their styles
/// and the texts their number formats give. It reaches a margin past the
/// sheet's used range, as a spreadsheet's scroll bars do, and grows (up to
/// 1,048,576 rows by 16,384 columns, A ... XFD) as the user moves beyond
/// it. Nothing is copied: the view asks for the few cells it shows and each
/// is looked up in the sheet.
class SheetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit SheetModel(QObject* parent = nullptr);

  /// Shows `sheet` (nullptr: a blank sheet) with the workbook's `styles`
  /// (nullptr: every cell in the default style). Both must outlive their
  /// use here; pass nullptr before freeing them. Each format code is
  /// compiled once per table: sheets of one workbook share them.
  void SetSheet(const Sheet* sheet, const StyleTable* styles = nullptr);
  const Sheet* sheet() const { return sheet_; }

  /// Grows the model to reach past (row, column) by the margin; never
  /// shrinks it.
  void Reach(std::int32_t row, std::int32_t column);

  /// The value at a 1-based row and column; empty without a sheet.
  CellValue Cell(std::int32_t row, std::int32_t column) const;

  /// The style of the cell at a 1-based row and column, and its number
  /// format; the default style and General for an empty cell.
  std::uint32_t StyleIndex(std::int32_t row, std::int32_t column) const;
  const CellStyle& Style(std::uint32_t style_index) const {
    return styles_->style(style_index);
  }
  const CompiledFormat& Format(std::uint32_t style_index) const {
    return formats_->ForStyle(style_index);
  }

  /// The text a cell shows in a column wide enough for all of it: its value
  /// under its number format (a grid rounds General numbers to its
  /// columns' widths).
  QString ShownText(std::int32_t row, std::int32_t column) const;
  /// A value as the formula line shows it: its text form, not its format's,
  /// and for error values their code (the XML writer reads those as empty).
  static QString ValueText(const CellValue& value);
  /// Where a cell's text sits, across and from top to bottom: the style's
  /// alignment; for General, numbers and dates to the right, truth values
  /// and error codes centred, texts to the left.
  static Qt::Alignment Alignment(const CellStyle& style, CellKind kind);

  /// The cells of `area` as tab-separated lines ending in CR LF, their
  /// texts as shown, as spreadsheets put them on the clipboard.
  QString TabSeparatedText(const BlockGeometry& area) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const Sheet* sheet_ = nullptr;
  const StyleTable* styles_;
  std::unique_ptr<StyleFormats> formats_;
  int rows_;
  int columns_;
};

}  // namespace kestrilo::gui
