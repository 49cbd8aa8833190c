#include "engine/conversion/row_spool.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "engine/reading/reader_budget.h"
#include "engine/reading/workbook_error.h"

namespace kestrilo {

namespace {

// A record: its size (these four bytes included), the row number and the
// count of cells, then each cell: its column, its kind (the top bit set for
// a time only) and its number, or its text's length and bytes.
constexpr std::size_t kRecordHead = 12;
constexpr unsigned char kTimeOnly = 0x80;

template <typename T>
void Append(std::string& bytes, T value) {
  bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
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
    if (cell.value.kind == CellKind::kText ||
        cell.value.kind == CellKind::kError) {
      const auto size = Take<std::uint32_t>(p);
      cell.value.text = std::string_view(p, size);
      p += size;
    } else {
      cell.value.number = Take<double>(p);
    }
  }
  return row;
}

}  // namespace

RowSpool::RowSpool(std::string path, std::size_t memory_limit)
    : path_(std::move(path)), memory_limit_(memory_limit) {}

RowSpool::~RowSpool() {
  if (file_ != nullptr) std::fclose(file_);
}

void RowSpool::FailFile(const char* what) const {
  throw WorkbookError(path_, std::string("cannot ") + what +
                                 " the temporary file that holds the rows "
                                 "read: " +
                                 std::strerror(errno));
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

  const std::size_t start = bytes_.size();
  Append<std::uint32_t>(bytes_, 0);
  Append(bytes_, row);
  Append(bytes_, static_cast<std::uint32_t>(cells.size()));
  for (const RowCell& cell : cells) {
    Append(bytes_, cell.column);
    Append(bytes_, static_cast<unsigned char>(
                       static_cast<unsigned char>(cell.value.kind) |
                       (cell.value.time_only ? kTimeOnly : 0)));
    if (cell.value.kind == CellKind::kText ||
        cell.value.kind == CellKind::kError) {
      Append(bytes_, static_cast<std::uint32_t>(cell.value.text.size()));
      bytes_.append(cell.value.text);
    } else {
      Append(bytes_, cell.value.number);
    }
  }
  const auto size = static_cast<std::uint32_t>(bytes_.size() - start);
  std::memcpy(bytes_.data() + start, &size, sizeof size);
  if (bytes_.size() >= memory_limit_) Spill();
}

void RowSpool::Spill() {
  if (file_ == nullptr) {
    file_ = std::tmpfile();
    if (file_ == nullptr) FailFile("create");
  }
  if (std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) {
    FailFile("write");
  }
  file_bytes_ += bytes_.size();
  bytes_.clear();
}

std::optional<BlockGeometry> RowSpool::used() const {
  if (cells_ == 0) return std::nullopt;
  return BlockGeometry{first_row_, last_row_ - first_row_ + 1, first_column_,
                       last_column_ - first_column_ + 1};
}

void RowSpool::ReadAt(std::uint64_t offset, std::size_t size,
                      std::string& out) const {
  out.resize(size);
  std::size_t done = 0;
  if (offset < file_bytes_) {
    const std::size_t from_file = static_cast<std::size_t>(
        std::min<std::uint64_t>(size, file_bytes_ - offset));
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(out.data(), 1, from_file, file_) != from_file) {
      FailFile("read");
    }
    done = from_file;
    offset += from_file;
  }
  if (done < size) {
    std::memcpy(out.data() + done, bytes_.data() + (offset - file_bytes_),
                size - done);
  }
}

void RowSpool::Send(RowSink& sink, std::int32_t first_row,
                    std::int32_t last_row) const {
  if (ascending_) {
    SendInOrder(sink, first_row, last_row);
  } else {
    SendSorted(sink, first_row, last_row);
  }
}

void RowSpool::SendInOrder(RowSink& sink, std::int32_t first_row,
                           std::int32_t last_row) const {
  // The file is read a piece at a time, each piece holding whole records.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  std::string piece;
  std::vector<RowCell> cells;
  std::uint64_t offset = 0;
  const std::uint64_t end = total_bytes();
  while (offset < end) {
    ReadAt(offset,
           static_cast<std::size_t>(std::min<std::uint64_t>(
               std::max<std::size_t>(kPiece, kRecordHead), end - offset)),
           piece);
    std::size_t at = 0;
    while (at + kRecordHead <= piece.size()) {
      const std::uint32_t size = RecordSize(piece.data() + at);
      if (at + size > piece.size()) {
        if (at == 0)
          ReadAt(offset, size, piece);  // a record beyond a piece
        else
          break;
      }
      const std::int32_t row = Decode(piece.data() + at, cells);
      if (row >= first_row && row <= last_row) sink.AddRow(row, cells);
      at += size;
    }
    offset += at;
  }
}

std::vector<RowSpool::RowPlace> RowSpool::Places() const {
  std::vector<RowPlace> places;
  std::string head;
  for (std::uint64_t offset = 0; offset < total_bytes();) {
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
