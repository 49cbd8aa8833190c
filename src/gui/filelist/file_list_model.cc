// SPDX-License-Identifier: MIT

#include "gui/filelist/file_list_model.h"

#include <algorithm>
#include <utility>

#include "gui/common/path_text.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {}

void FileListModel::Append(const QString& text) {
  AppendEntry({PathBytes(text), text});
}

void FileListModel::AppendPath(const std::string& path) {
  AppendEntry({path, PathText(path)});
}

void FileListModel::AppendEntry(Entry entry) {
  beginInsertRows(QModelIndex(), Count(), Count());
  entries_.append(std::move(entry));
  endInsertRows();
}

std::vector<std::string> FileListModel::paths() const {
  std::vector<std::string> paths;
  for (const Entry& entry : entries_) paths.push_back(entry.path);
  return paths;
}

QStringList FileListModel::texts() const {
  QStringList texts;
  for (const Entry& entry : entries_) texts.append(entry.text);
  return texts;
}

bool FileListModel::Contains(const std::string& path) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& entry) { return entry.path == path; });
}

bool FileListModel::Remove(int row) {
  if (locked() || row < 0 || row >= Count()) return false;
  beginRemoveRows(QModelIndex(), row, row);
  entries_.removeAt(row);
  endRemoveRows();
  return true;
}

bool FileListModel::Clear() {
  if (locked()) return false;
  beginResetModel();
  entries_.clear();
  endResetModel();
  return true;
}

bool FileListModel::Swap(int row, int other_row) {
  if (locked()) return false;
  entries_.swapItemsAt(row, other_row);
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
    return Text(index.row());
  }
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation,
                                   int role) const {
  if (section == 0 && orientation == Qt::Horizontal &&
      role == Qt::DisplayRole) {
    return Tr(texts::kFileListHeader);
  }
  return {};
}

}  // namespace kestrilo::gui
