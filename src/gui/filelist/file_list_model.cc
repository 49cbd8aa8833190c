#include "gui/filelist/file_list_model.h"

namespace kestrilo::gui {

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {}

void FileListModel::Append(const QString& path) {
  beginInsertRows(QModelIndex(), Count(), Count());
  paths_.append(path);
  endInsertRows();
}

bool FileListModel::Remove(int row) {
  if (locked() || row < 0 || row >= Count()) return false;
  beginRemoveRows(QModelIndex(), row, row);
  paths_.removeAt(row);
  endRemoveRows();
  return true;
}

bool FileListModel::Clear() {
  if (locked()) return false;
  beginResetModel();
  paths_.clear();
  endResetModel();
  return true;
}

bool FileListModel::Swap(int row, int other_row) {
  if (locked()) return false;
  paths_.swapItemsAt(row, other_row);
  emit dataChanged(index(row), index(row));
  emit dataChanged(index(other_row), index(other_row));
  return true;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  // The full path is the tooltip too: the view elides long ones.
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    return paths_.at(index.row());
  }
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation,
                                   int role) const {
  if (section == 0 && orientation == Qt::Horizontal &&
      role == Qt::DisplayRole) {
    return QStringLiteral("Excel File(s)");
  }
  return {};
}

}  // namespace kestrilo::gui
