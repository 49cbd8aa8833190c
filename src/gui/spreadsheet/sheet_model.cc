#include "gui/spreadsheet/sheet_model.h"

#include "engine/block_geometry.h"
#include "engine/cell_text.h"
#include "engine/xml_writer.h"

namespace kestrilo {

SheetModel::SheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void SheetModel::SetSheet(const Sheet* sheet) {
  // Row and column counts never change, so only the contents are new.
  sheet_ = sheet;
  emit dataChanged(index(0, 0), index(kMaxRows - 1, kMaxColumns - 1));
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

int SheetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kMaxRows;
}

int SheetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kMaxColumns;
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || sheet_ == nullptr) return {};
  if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole &&
      role != Qt::ToolTipRole) {
    return {};
  }
  const CellValue value = Cell(index.row() + 1, index.column() + 1);
  if (value.is_empty()) return {};
  if (role == Qt::TextAlignmentRole) {
    // As spreadsheets show them: numbers and dates to the right, truth
    // values and error codes centred, texts to the left.
    switch (value.kind) {
      case CellKind::kNumber:
      case CellKind::kDateTime:
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      case CellKind::kBoolean:
      case CellKind::kError:
        return QVariant(Qt::AlignHCenter | Qt::AlignVCenter);
      default:
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
  }
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

}  // namespace kestrilo
