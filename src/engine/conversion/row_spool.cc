// SPDX-License-Identifier: MIT

#include "engine/conversion/row_spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "engine/files/write_failure.h"
#include "engine/reading/reader_budget.h"
#include "engine/reading/workbook_error.h"

namespace kestrilo {

namespace {

// Rows go to the file a piece at a time; cursors read it so too. Half a
// megabyte makes the system calls few enough, and keeps the spooled road's
// memory (the piece filled and each cursor's) near the streamed road's.
constexpr std::size_t kPiece = std::size_t{512} << 10;
constexpr std::size_t kFirstPiece = std::size_t{64} << 10;

// A record: its size (these four bytes included), the row number and the
// count of cells, then each cell: its column, its kind (the top bit set for
// a time only) and its number, or its text's length and bytes.
constexpr std::size_t kRecordHead = 12;
constexpr unsigned char kTimeOnly = 0x80;

// A cell's column and kind.
constexpr std::size_t kCellHead = sizeof(std::int32_t) + 1;

bool HasText(const CellValue& value) {
  return value.kind == CellKind::kText || value.kind == CellKind::kError;
}

template <typename T>
void Put(char*& p, T value) {
  std::memcpy(p, &value, sizeof value);
  p += sizeof value;
}

template <typename T>
T Take(const char*& p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  p += sizeof value;
  return value;
}

std::uint32_t RecordSize(const char* record) {
  std::uint32_t size;
  std::memcpy(&size, record, sizeof size);
  return size;
}

// The cells of one record; their texts point into the record.
std::int32_t Decode(const char* record, std::vector<RowCell>& cells) {
  const char* p = record + sizeof(std::uint32_t);
  const auto row = Take<std::int32_t>(p);
  const auto count = Take<std::uint32_t>(p);
  cells.resize(count);
  for (RowCell& cell : cells) {
    cell.column = Take<std::int32_t>(p);
    const auto kind = Take<unsigned char>(p);
    cell.value = CellValue();
    cell.value.kind = static_cast<CellKind>(kind & ~kTimeOnly);
    cell.value.time_only = (kind & kTimeOnly) != 0;
    if (HasText(cell.value)) {
      const auto size = Take<std::uint32_t>(p);
      cell.value.text = std::string_view(p, size);
      p += size;
    } else {
      cell.value.number = Take<double>(p);
    }
  }
  return row;
}

// An unnamed file in the system's temporary folder, gone once closed.
int OpenUnnamedFile() {
  const char* folder = std::getenv("TMPDIR");
  if (folder == nullptr || *folder == '\0') folder = "/tmp";
  int fd = ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  // File systems without unnamed files: a named one, unlinked at once.
  std::string name = std::string(folder) + "/kestrilo-rows-XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}

}  // namespace

RowSpool::RowSpool(std::string path) : path_(std::move(path)) {
  piece_.resize(kPiece + kPiece / 4);
}

RowSpool::~RowSpool() {
  if (fd_ >= 0) ::close(fd_);
}

void RowSpool::FailFile(const char* what) const {
  throw WorkbookError(path_, std::string("cannot ") + what +
                                 " the temporary file that keeps the rows "
                                 "read: " +
                                 WriteFailureText(errno));
}

void RowSpool::AddRow(std::int32_t row, std::span<const RowCell> cells) {
  if (keep_) {
    if (row < keep_->first_row || row > keep_->last_row()) return;
    kept_.clear();
    for (const RowCell& cell : cells) {
      if (cell.column >= keep_->first_column &&
          cell.column <= keep_->last_column()) {
        kept_.push_back(cell);
      }
    }
    cells = kept_;
  }
  if (cells.empty()) return;
  cells_ += cells.size();
  if (cells_ > ReaderBudget::kCells) {
    throw WorkbookError(path_, "the sheet holds more than " +
                                   std::to_string(ReaderBudget::kCells) +
                                   " cells, more than we read");
  }
  if (last_row_ != 0 && row <= last_row_) ascending_ = false;
  if (first_row_ == 0 || row < first_row_) first_row_ = row;
  last_row_ = std::max(last_row_, row);
  first_column_ = std::min(first_column_, cells.front().column);
  last_column_ = std::max(last_column_, cells.back().column);

  // The record's size first, so that it is written in one pass with no
  // check for room at each field.
  std::size_t size = kRecordHead;
  for (const RowCell& cell : cells) {
    size += kCellHead + (HasText(cell.value)
                             ? sizeof(std::uint32_t) + cell.value.text.size()
                             : sizeof(double));
  }
  // The piece is sized once, and grows only for a row larger than its room:
  // no byte of it is cleared before it is written.
  if (piece_used_ + size > piece_.size()) piece_.resize(piece_used_ + size);
  char* p = piece_.data() + piece_used_;
  piece_used_ += size;
  Put(p, static_cast<std::uint32_t>(size));
  Put(p, row);
  Put(p, static_cast<std::uint32_t>(cells.size()));
  for (const RowCell& cell : cells) {
    Put(p, cell.column);
    Put(p,
        static_cast<unsigned char>(static_cast<unsigned char>(cell.value.kind) |
                                   (cell.value.time_only ? kTimeOnly : 0)));
    if (HasText(cell.value)) {
      Put(p, static_cast<std::uint32_t>(cell.value.text.size()));
      // An empty text's pointer may be null, which memcpy must never see.
      if (!cell.value.text.empty()) {
        std::memcpy(p, cell.value.text.data(), cell.value.text.size());
        p += cell.value.text.size();
      }
    } else {
      Put(p, cell.value.number);
    }
  }
  // The first piece is small, so that a follower starts early.
  if (piece_used_ >= (file_bytes_ == 0 ? kFirstPiece : kPiece)) Flush();
}

void RowSpool::Flush() {
  if (piece_used_ == 0) return;
  if (fd_ < 0) {
    fd_ = OpenUnnamedFile();
    if (fd_ < 0) FailFile("create");
  }
  for (std::size_t done = 0; done < piece_used_;) {
    const ssize_t written =
        ::pwrite(fd_, piece_.data() + done, piece_used_ - done,
                 static_cast<off_t>(file_bytes_ + done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) FailFile("write");
    done += static_cast<std::size_t>(written);
  }
  file_bytes_ += piece_used_;
  piece_used_ = 0;
  std::lock_guard lock(mutex_);
  readable_ = file_bytes_;
  published_.notify_all();
}

void RowSpool::Close() {
  try {
    Flush();
  } catch (...) {
    Abandon();
    throw;
  }
  Abandon();
}

void RowSpool::Abandon() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  published_.notify_all();
}

bool RowSpool::closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

std::uint64_t RowSpool::WaitBeyond(std::uint64_t offset) const {
  std::unique_lock lock(mutex_);
  published_.wait(lock, [&] { return closed_ || readable_ > offset; });
  return readable_;
}

std::optional<BlockGeometry> RowSpool::used() const {
  if (cells_ == 0) return std::nullopt;
  return BlockGeometry{first_row_, last_row_ - first_row_ + 1, first_column_,
                       last_column_ - first_column_ + 1};
}

void RowSpool::ReadAt(std::uint64_t offset, std::size_t size,
                      std::string& out) const {
  out.resize(size);
  for (std::size_t done = 0; done < size;) {
    const ssize_t read = ::pread(fd_, out.data() + done, size - done,
                                 static_cast<off_t>(offset + done));
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) FailFile("read");
    done += static_cast<std::size_t>(read);
  }
}

bool RowSpool::Cursor::Next(std::uint64_t end, std::int32_t& row,
                            std::vector<RowCell>& cells) {
  const std::uint64_t offset = piece_offset_ + at_;
  if (offset >= end) return false;
  const bool whole_head = at_ + kRecordHead <= piece_.size();
  if (!whole_head || at_ + RecordSize(piece_.data() + at_) > piece_.size()) {
    // The next record starts a new piece, which holds at least all of it.
    std::string head;
    spool_.ReadAt(offset, kRecordHead, head);
    const std::size_t want =
        std::max<std::size_t>(RecordSize(head.data()),
                              static_cast<std::size_t>(std::min<std::uint64_t>(
                                  kPiece, end - offset)));
    spool_.ReadAt(offset, want, piece_);
    piece_offset_ = offset;
    at_ = 0;
  }
  row = Decode(piece_.data() + at_, cells);
  at_ += RecordSize(piece_.data() + at_);
  return true;
}

void RowSpool::Send(RowSink& sink, std::int32_t first_row,
                    std::int32_t last_row) const {
  if (!ascending_) {
    SendSorted(sink, first_row, last_row);
    return;
  }
  Cursor cursor(*this);
  std::int32_t row = 0;
  std::vector<RowCell> cells;
  while (cursor.Next(file_bytes_, row, cells)) {
    if (row >= first_row && row <= last_row) sink.AddRow(row, cells);
  }
}

std::vector<RowSpool::RowPlace> RowSpool::Places() const {
  std::vector<RowPlace> places;
  std::string head;
  for (std::uint64_t offset = 0; offset < file_bytes_;) {
    ReadAt(offset, kRecordHead, head);
    const char* p = head.data();
    const auto size = Take<std::uint32_t>(p);
    places.push_back({Take<std::int32_t>(p), offset, size});
    offset += size;
  }
  return places;
}

void RowSpool::SendSorted(RowSink& sink, std::int32_t first_row,
                          std::int32_t last_row) const {
  std::vector<RowPlace> places = Places();
  std::stable_sort(
      places.begin(), places.end(),
      [](const RowPlace& a, const RowPlace& b) { return a.row < b.row; });
  std::vector<std::string> records;
  std::vector<RowCell> cells;
  std::vector<RowCell> merged;
  for (std::size_t i = 0; i < places.size();) {
    std::size_t next = i;
    while (next < places.size() && places[next].row == places[i].row) ++next;
    const std::int32_t row = places[i].row;
    if (row >= first_row && row <= last_row) {
      // The later value of a cell wins, as in the sheet model.
      std::map<std::int32_t, CellValue> by_column;
      records.resize(next - i);
      for (std::size_t j = i; j < next; ++j) {
        ReadAt(places[j].offset, places[j].size, records[j - i]);
        Decode(records[j - i].data(), cells);
        for (const RowCell& cell : cells) by_column[cell.column] = cell.value;
      }
      merged.clear();
      for (const auto& [column, value] : by_column) {
        merged.push_back({column, value});
      }
      sink.AddRow(row, merged);
    }
    i = next;
  }
}

}  // namespace kestrilo
