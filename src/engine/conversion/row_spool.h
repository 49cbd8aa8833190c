#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/row_sink.h"

namespace kestrilo {

/// Keeps one sheet's rows as a reader sends them, compactly, so that they
/// can be sent on once the whole sheet has been read and its used range is
/// known: in memory up to a limit, and beyond it in an unnamed temporary
/// file that vanishes with the spool. Memory stays flat whatever the size
/// of the sheet, and the file is read once.
class RowSpool : public RowSink {
 public:
  /// `path` names the workbook in messages; `memory_limit` is the most
  /// bytes kept in memory before they go to the temporary file.
  explicit RowSpool(std::string path,
                    std::size_t memory_limit = std::size_t{8} << 20);
  ~RowSpool() override;
  RowSpool(const RowSpool&) = delete;
  RowSpool& operator=(const RowSpool&) = delete;

  /// Keeps only the cells inside `block` from now on: a block known
  /// beforehand needs no more.
  void KeepOnly(const BlockGeometry& block) { keep_ = block; }

  /// Throws WorkbookError past the budget of cells a workbook may hold, and
  /// when the temporary file cannot be written.
  void AddRow(std::int32_t row, std::span<const RowCell> cells) override;

  /// The bounding box of the cells kept; nothing when there are none.
  std::optional<BlockGeometry> used() const;

  /// Sends the rows from `first_row` to `last_row` to `sink` in ascending
  /// order: a row the file listed more than once goes as one, the later
  /// value of a cell winning, as in the sheet model.
  void Send(RowSink& sink, std::int32_t first_row, std::int32_t last_row) const;

 private:
  // Where a row's record lies among all the bytes kept.
  struct RowPlace {
    std::int32_t row;
    std::uint64_t offset;
    std::uint32_t size;
  };

  void Spill();
  std::uint64_t total_bytes() const { return file_bytes_ + bytes_.size(); }
  // Every record's place, in the order kept.
  std::vector<RowPlace> Places() const;
  void SendInOrder(RowSink& sink, std::int32_t first_row,
                   std::int32_t last_row) const;
  void SendSorted(RowSink& sink, std::int32_t first_row,
                  std::int32_t last_row) const;
  // Reads `size` bytes from `offset` of everything kept into `out`.
  void ReadAt(std::uint64_t offset, std::size_t size, std::string& out) const;
  [[noreturn]] void FailFile(const char* what) const;

  std::string path_;
  std::size_t memory_limit_;
  // The bytes kept in memory, which follow those in the file.
  std::string bytes_;
  std::FILE* file_ = nullptr;
  std::uint64_t file_bytes_ = 0;
  std::optional<BlockGeometry> keep_;
  std::vector<RowCell> kept_;
  // Whether every row came after the one before.
  bool ascending_ = true;
  std::uint64_t cells_ = 0;
  std::int32_t first_row_ = 0;
  std::int32_t last_row_ = 0;
  std::int32_t first_column_ = kMaxColumns + 1;
  std::int32_t last_column_ = 0;
};

}  // namespace kestrilo
