// SPDX-License-Identifier: MIT

#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/row_sink.h"

namespace kestrilo {

/// Keeps one sheet's rows as a reader sends them, compactly, so that they
/// can be sent on once the whole sheet has been read and its used range is
/// known. The rows go in pieces of a megabyte to an unnamed temporary file
/// that vanishes with the spool: memory stays flat whatever the size of the
/// sheet. Another thread may follow the rows as each piece is complete
/// (WaitBeyond, Cursor) while the reader goes on.
class RowSpool : public RowSink {
 public:
  /// `path` names the workbook in messages.
  explicit RowSpool(std::string path);
  ~RowSpool() override;
  RowSpool(const RowSpool&) = delete;
  RowSpool& operator=(const RowSpool&) = delete;

  /// Keeps only the cells inside `block`: a block known beforehand needs
  /// no more. Call before the first row.
  void KeepOnly(const BlockGeometry& block) { keep_ = block; }

  /// Throws WorkbookError past the budget of cells a workbook may hold, and
  /// when the temporary file cannot be written.
  void AddRow(std::int32_t row, std::span<const RowCell> cells) override;
  /// No more rows come: the rest is made available to every cursor. Call
  /// also when the reader fails, so that a follower stops waiting.
  void Close();
  /// Ends the rows without keeping the last piece: for a reader that
  /// failed, so that a follower stops waiting.
  void Abandon();

  /// The bounding box of the cells kept; nothing when there are none. For
  /// the reader's thread, or after Close.
  std::optional<BlockGeometry> used() const;

  /// Waits until more than `offset` bytes of whole rows can be read or the
  /// spool is closed; returns the bytes that can be read.
  std::uint64_t WaitBeyond(std::uint64_t offset) const;
  /// Whether Close has been called.
  bool closed() const;

  /// Reads the rows kept, in the order they came, from any thread.
  class Cursor {
   public:
    explicit Cursor(const RowSpool& spool) : spool_(spool) {}
    /// The next row that lies before byte `end` (what WaitBeyond gave):
    /// its number and cells, whose texts live until the next call. False
    /// when there is none.
    bool Next(std::uint64_t end, std::int32_t& row,
              std::vector<RowCell>& cells);

   private:
    const RowSpool& spool_;
    std::string piece_;
    std::uint64_t piece_offset_ = 0;  // of piece_'s first byte in the spool
    std::size_t at_ = 0;              // the next record within piece_
  };

  /// After Close: sends the rows from `first_row` to `last_row` to `sink`
  /// in ascending order, a row the file listed more than once as one (the
  /// later value of a cell winning, as in the sheet model).
  void Send(RowSink& sink, std::int32_t first_row, std::int32_t last_row) const;

 private:
  // Where a row's record lies among the bytes kept.
  struct RowPlace {
    std::int32_t row;
    std::uint64_t offset;
    std::uint32_t size;
  };

  void Flush();
  void ReadAt(std::uint64_t offset, std::size_t size, std::string& out) const;
  [[noreturn]] void FailFile(const char* what) const;
  std::vector<RowPlace> Places() const;
  void SendSorted(RowSink& sink, std::int32_t first_row,
                  std::int32_t last_row) const;

  std::string path_;
  int fd_ = -1;
  std::optional<BlockGeometry> keep_;
  std::vector<RowCell> kept_;
  // The piece being filled (its first `piece_used_` bytes), and the bytes
  // already in the file.
  std::string piece_;
  std::size_t piece_used_ = 0;
  std::uint64_t file_bytes_ = 0;
  // What a follower may read, and whether the rows have ended.
  mutable std::mutex mutex_;
  mutable std::condition_variable published_;
  std::uint64_t readable_ = 0;
  bool closed_ = false;
  // Whether every row came after the one before.
  bool ascending_ = true;
  std::uint64_t cells_ = 0;
  std::int32_t first_row_ = 0;
  std::int32_t last_row_ = 0;
  std::int32_t first_column_ = kMaxColumns + 1;
  std::int32_t last_column_ = 0;
};

}  // namespace kestrilo
