#include "gui/filelist/file_list_view.h"

#include <stdexcept>

namespace kestrilo {

FileListView::FileListView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
}

void FileListView::Append(const QString& path) {
  auto* item = new QTreeWidgetItem(this);
  item->setText(0, path);
}

int FileListView::Count() const { return topLevelItemCount(); }

QString FileListView::Text(int position) const {
  const QTreeWidgetItem* item = topLevelItem(position - 1);
  if (item == nullptr) throw std::out_of_range("no such list entry");
  return item->text(0);
}

void FileListView::SetText(int position, const QString& text) {
  QTreeWidgetItem* item = topLevelItem(position - 1);
  if (item == nullptr) throw std::out_of_range("no such list entry");
  item->setText(0, text);
}

void FileListView::Remove(int position) {
  delete takeTopLevelItem(position - 1);
}

void FileListView::Clear() { clear(); }

}  // namespace kestrilo
