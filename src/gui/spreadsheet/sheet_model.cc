// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/sheet_model.h"

#include <algorithm>

#include "engine/display/cell_alignment.h"
#include "engine/model/block_geometry.h"
#include "engine/model/column_letters.h"
#include "engine/writing/cell_text.h"

namespace kestrilo::gui {

namespace {

// How far the grid reaches past the used range or the cell the user moved
// to: a screenful or two, so that the scroll bar's thumb maps onto the data.
constexpr int kRowMargin = 100;
constexpr int kColumnMargin = 26;

int RowsToReach(std::int32_t row) {
  return static_cast<int>(
      std::min<std::int64_t>(std::int64_t{row} + kRowMargin, kMaxRows));
}

int ColumnsToReach(std::int32_t column) {
  return static_cast<int>(std::min<std::int64_t>(
      std::int64_t{column} + kColumnMargin, kMaxColumns));
}

// The styles of a workbook whose reader keeps none: the default style.
const StyleTable& DefaultStyles() {
  static const StyleTable table;
  return table;
}

Qt::Alignment HorizontalFlag(HorizontalAlignment alignment) {
  switch (alignment) {
    case HorizontalAlignment::kRight:
      return Qt::AlignRight;
    case HorizontalAlignment::kCenter:
    case HorizontalAlignment::kCenterAcross:
    case HorizontalAlignment::kDistributed:
      return Qt::AlignHCenter;
    case HorizontalAlignment::kJustify:
      return Qt::AlignJustify;
    default:
      return Qt::AlignLeft;
  }
}

Qt::Alignment VerticalFlag(VerticalAlignment alignment) {
  switch (alignment) {
    case VerticalAlignment::kTop:
    case VerticalAlignment::kJustify:
      return Qt::AlignTop;
    case VerticalAlignment::kCenter:
    case VerticalAlignment::kDistributed:
      return Qt::AlignVCenter;
    case VerticalAlignment::kBottom:
      break;
  }
  return Qt::AlignBottom;
}

}  // namespace

SheetModel::SheetModel(QObject* parent)
    : QAbstractTableModel(parent),
      styles_(&DefaultStyles()),
      formats_(std::make_unique<StyleFormats>(*styles_)),
      rows_(RowsToReach(0)),
      columns_(ColumnsToReach(0)) {}

void SheetModel::SetSheet(const Sheet* sheet, const StyleTable* styles) {
  beginResetModel();
  sheet_ = sheet;
  // Without a sheet the table is let go, so that a later table at the same
  // address is never taken for it.
  if (sheet == nullptr || styles == nullptr) styles = &DefaultStyles();
  if (styles != styles_) {
    styles_ = styles;
    formats_ = std::make_unique<StyleFormats>(*styles);
  }
  const BlockGeometry used = sheet != nullptr && sheet->cell_count() > 0
                                 ? sheet->UsedRange().value_or(BlockGeometry{})
                                 : BlockGeometry{};
  rows_ = RowsToReach(used.last_row());
  columns_ = ColumnsToReach(used.last_column());
  endResetModel();
}

void SheetModel::Reach(std::int32_t row, std::int32_t column) {
  const int rows = RowsToReach(row);
  const int columns = ColumnsToReach(column);
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  if (columns > columns_) {
    beginInsertColumns({}, columns_, columns - 1);
    columns_ = columns;
    endInsertColumns();
  }
}

CellValue SheetModel::Cell(std::int32_t row, std::int32_t column) const {
  if (sheet_ == nullptr) return CellValue::Empty();
  return sheet_->Cell(row, column);
}

std::uint32_t SheetModel::StyleIndex(std::int32_t row,
                                     std::int32_t column) const {
  return sheet_ != nullptr ? sheet_->StyleIndex(row, column) : 0;
}

QString SheetModel::ShownText(std::int32_t row, std::int32_t column) const {
  const CellValue value = Cell(row, column);
  if (value.is_empty()) return {};
  return QString::fromStdString(Format(StyleIndex(row, column)).Text(value));
}

QString SheetModel::ValueText(const CellValue& value) {
  if (value.is_error()) {
    return QString::fromUtf8(value.text.data(),
                             static_cast<qsizetype>(value.text.size()));
  }
  return QString::fromStdString(CellText(value));
}

Qt::Alignment SheetModel::Alignment(const CellStyle& style, CellKind kind) {
  return HorizontalFlag(ResolvedAlignment(style.horizontal, kind)) |
         VerticalFlag(style.vertical);
}

QString SheetModel::TabSeparatedText(const BlockGeometry& area) const {
  QString text;
  for (std::int32_t row = area.first_row; row <= area.last_row(); ++row) {
    for (std::int32_t column = area.first_column; column <= area.last_column();
         ++column) {
      if (column > area.first_column) text += QLatin1Char('\t');
      text += ShownText(row, column);
    }
    text += QStringLiteral("\r\n");
  }
  return text;
}

int SheetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int SheetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || sheet_ == nullptr) return {};
  if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole &&
      role != Qt::ToolTipRole) {
    return {};
  }
  const std::int32_t row = index.row() + 1;
  const std::int32_t column = index.column() + 1;
  const CellValue value = Cell(row, column);
  if (value.is_empty()) return {};
  if (role == Qt::TextAlignmentRole) {
    return QVariant(Alignment(Style(StyleIndex(row, column)), value.kind));
  }
  return ShownText(row, column);
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation,
                                int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    return QString::fromStdString(ColumnLetters(section + 1));
  }
  return QString::number(section + 1);
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const {
  // Cells are shown, never edited: the workbook file stays as it is.
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                         : Qt::NoItemFlags;
}

}  // namespace kestrilo::gui
