#include "gui/spreadsheet/sheet_model.h"

#include <algorithm>

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

}  // namespace

SheetModel::SheetModel(QObject* parent)
    : QAbstractTableModel(parent),
      rows_(RowsToReach(0)),
      columns_(ColumnsToReach(0)) {}

void SheetModel::SetSheet(const Sheet* sheet) {
  beginResetModel();
  sheet_ = sheet;
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

QString SheetModel::DisplayText(const CellValue& value) {
  if (value.is_error()) {
    return QString::fromUtf8(value.text.data(),
                             static_cast<qsizetype>(value.text.size()));
  }
  return QString::fromStdString(CellText(value));
}

Qt::Alignment SheetModel::Alignment(const CellValue& value) {
  // As spreadsheets show them.
  switch (value.kind) {
    case CellKind::kNumber:
    case CellKind::kDateTime:
      return Qt::AlignRight | Qt::AlignVCenter;
    case CellKind::kBoolean:
    case CellKind::kError:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QString SheetModel::TabSeparatedText(const BlockGeometry& area) const {
  QString text;
  for (std::int32_t row = area.first_row; row <= area.last_row(); ++row) {
    for (std::int32_t column = area.first_column; column <= area.last_column();
         ++column) {
      if (column > area.first_column) text += QLatin1Char('\t');
      text += DisplayText(Cell(row, column));
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
  const CellValue value = Cell(index.row() + 1, index.column() + 1);
  if (value.is_empty()) return {};
  if (role == Qt::TextAlignmentRole) return QVariant(Alignment(value));
  return DisplayText(value);
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
