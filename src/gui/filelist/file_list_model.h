// SPDX-License-Identifier: MIT

#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QStringList>
#include <string>
#include <vector>

namespace kestrilo::gui {

/// The ordered list of input files: one full path per entry, the order
/// being the export order. Entries may repeat. Each entry keeps the path's
/// bytes, which the export run opens, beside the text the list shows: a
/// name that is not UTF-8 shows with replacement characters but is still
/// found on disk. While locked (a folder scan or an export run is under
/// way) entries can still be appended, but none can be removed or moved,
/// so that a run finds each workbook where it was when the run began.
class FileListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit FileListModel(QObject* parent = nullptr);

  /// Appends a path the user chose as text; the text shows as it is.
  void Append(const QString& text);
  /// Appends a path as the system gave it, in bytes.
  void AppendPath(const std::string& path);
  int Count() const { return static_cast<int>(entries_.size()); }
  /// The path's bytes at a 0-based row.
  const std::string& Path(int row) const { return entries_.at(row).path; }
  /// The text shown at a 0-based row.
  const QString& Text(int row) const { return entries_.at(row).text; }
  std::vector<std::string> paths() const;
  QStringList texts() const;
  /// Whether an entry's path equals `path` byte for byte.
  bool Contains(const std::string& path) const;

  /// Removes the entry at `row`; false when locked or there is none.
  bool Remove(int row);
  /// Removes every entry; false when locked.
  bool Clear();
  /// Exchanges two entries; false when locked.
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
  struct Entry {
    std::string path;
    QString text;
  };

  void AppendEntry(Entry entry);

  QList<Entry> entries_;
  int locks_ = 0;
};

}  // namespace kestrilo::gui
