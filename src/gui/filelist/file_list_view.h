#pragma once

#include <QString>
#include <QTreeWidget>

namespace kestrilo {

/// ListView1: the ordered list of input files, one full path per entry,
/// shown in one column. Entries may repeat; the order is the export order.
class FileListView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FileListView(QWidget* parent = nullptr);

  /// Appends an entry at the end.
  void Append(const QString& path);
  int Count() const;
  /// The text of the entry at a 1-based position.
  QString Text(int position) const;
  void SetText(int position, const QString& text);
  /// Removes the entry at a 1-based position.
  void Remove(int position);
  void Clear();
};

}  // namespace kestrilo
