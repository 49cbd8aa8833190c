#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace kestrilo::gui {

/// The ordered list of input files: one full path per entry, the order
/// being the export order. Entries may repeat. While locked (a folder scan
/// or an export run is under way) entries can still be appended, but none
/// can be removed or moved, so that a run finds each workbook where it was
/// when the run began.
class FileListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit FileListModel(QObject* parent = nullptr);

  /// Appends an entry at the end.
  void Append(const QString& path);
  int Count() const { return static_cast<int>(paths_.size()); }
  /// The path at a 0-based row.
  const QString& Path(int row) const { return paths_.at(row); }
  const QStringList& paths() const { return paths_; }
  /// Whether an entry's text equals `path` exactly (case-sensitive).
  bool Contains(const QString& path) const { return paths_.contains(path); }

  /// Removes the entry at `row`; false when locked or there is none.
  bool Remove(int row);
  /// Removes every entry; false when locked.
  bool Clear();
  /// Exchanges the texts of two entries; false when locked.
  bool Swap(int row, int other_row);

  /// Locks the list until the matching Unlock(); locks nest, so that a
  /// folder scan ending during an export run leaves the list locked.
  void Lock() { ++locks_; }
  void Unlock() { --locks_; }
  bool locked() const { return locks_ > 0; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;

 private:
  QStringList paths_;
  int locks_ = 0;
};

}  // namespace kestrilo::gui
