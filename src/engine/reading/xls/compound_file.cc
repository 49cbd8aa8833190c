// SPDX-License-Identifier: MIT

#include "engine/reading/xls/compound_file.h"

#include <algorithm>
#include <cstring>

#include "engine/input/input_file.h"
#include "engine/input/workbook_error.h"
#include "engine/reading/xls/little_endian.h"
#include "engine/text/ascii_text.h"
#include "engine/text/text_decoding.h"

namespace kestrilo {

namespace {

constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0,
                                         0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint8_t kStorageType = 1;
constexpr std::uint8_t kStreamType = 2;
constexpr std::uint8_t kRootType = 5;

bool SameName(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}

}  // namespace

CompoundFile CompoundFile::Open(const std::string& path) {
  return CompoundFile(path, InputFile(path, false).ReadAll());
}

CompoundFile::CompoundFile(std::string path, std::string bytes)
    : path_(std::move(path)), bytes_(std::move(bytes)) {
  ParseHeader();
  ReadFat();
  ReadDirectory();
  CollectRootStreams();
}

void CompoundFile::Fail(const std::string& reason) const {
  throw WorkbookError(path_, "damaged compound file: " + reason);
}

void CompoundFile::ParseHeader() {
  if (bytes_.size() < kHeaderSize) {
    if (bytes_.size() >= sizeof kSignature &&
        std::memcmp(bytes_.data(), kSignature, sizeof kSignature) == 0) {
      Fail("the file is truncated inside its header");
    }
    throw WorkbookError(path_, "not a compound file (too short)");
  }
  if (std::memcmp(bytes_.data(), kSignature, sizeof kSignature) != 0) {
    throw WorkbookError(path_, "not a compound file");
  }
  const char* h = bytes_.data();
  major_version_ = LittleU16(h + 0x1A);
  sector_shift_ = LittleU16(h + 0x1E);
  const std::uint32_t mini_shift = LittleU16(h + 0x20);
  if (sector_shift_ != 9 && sector_shift_ != 12) {
    Fail("unsupported sector size 2^" + std::to_string(sector_shift_));
  }
  if (mini_shift != 6) {
    Fail("unsupported mini sector size 2^" + std::to_string(mini_shift));
  }
  sector_size_ = 1u << sector_shift_;
  mini_sector_size_ = 1u << mini_shift;
  fat_sector_count_ = LittleU32(h + 0x2C);
  first_directory_sector_ = LittleU32(h + 0x30);
  mini_cutoff_ = LittleU32(h + 0x38);
  first_mini_fat_sector_ = LittleU32(h + 0x3C);
  first_difat_sector_ = LittleU32(h + 0x44);
  // Allocation sectors can at most fill the file; a larger count is a lie
  // that would make us allocate without bound.
  const std::size_t file_sectors = bytes_.size() / sector_size_ + 1;
  if (fat_sector_count_ > file_sectors) {
    Fail("the header claims " + std::to_string(fat_sector_count_) +
         " allocation sectors, more than the file holds");
  }
}

const char* CompoundFile::SectorData(std::uint32_t sector,
                                     std::size_t* available) const {
  if (sector > kMaxRegularSector) return nullptr;
  const std::uint64_t offset = (static_cast<std::uint64_t>(sector) + 1)
                               << sector_shift_;
  if (offset >= bytes_.size()) return nullptr;
  *available = static_cast<std::size_t>(
      std::min<std::uint64_t>(sector_size_, bytes_.size() - offset));
  return bytes_.data() + offset;
}

void CompoundFile::ReadFat() {
  std::vector<std::uint32_t> fat_sectors;
  fat_sectors.reserve(fat_sector_count_);
  for (std::size_t i = 0; i < 109 && fat_sectors.size() < fat_sector_count_;
       ++i) {
    const std::uint32_t sector = LittleU32(bytes_.data() + 0x4C + 4 * i);
    if (sector == kFreeSector) break;
    fat_sectors.push_back(sector);
  }
  // Further allocation sectors are listed in a chain of DIFAT sectors, each
  // ending with the number of the next one.
  std::uint32_t difat = first_difat_sector_;
  const std::size_t per_sector = sector_size_ / 4 - 1;
  std::size_t difat_seen = 0;
  while (fat_sectors.size() < fat_sector_count_ && difat != kEndOfChain &&
         difat != kFreeSector) {
    // The header's DIFAT count is not trusted (some writers leave it 0);
    // the file's size bounds the chain.
    if (++difat_seen > bytes_.size() / sector_size_) {
      Fail("the chain of allocation-table index sectors loops");
    }
    std::size_t available = 0;
    const char* data = SectorData(difat, &available);
    if (data == nullptr || available < sector_size_) {
      Fail("an allocation-table index sector lies beyond the end of the file");
    }
    for (std::size_t i = 0;
         i < per_sector && fat_sectors.size() < fat_sector_count_; ++i) {
      const std::uint32_t sector = LittleU32(data + 4 * i);
      if (sector == kFreeSector) continue;
      fat_sectors.push_back(sector);
    }
    difat = LittleU32(data + 4 * per_sector);
  }
  if (fat_sectors.empty()) Fail("the file has no allocation table");

  const std::size_t per_fat_sector = sector_size_ / 4;
  fat_.assign(fat_sectors.size() * per_fat_sector, kFreeSector);
  for (std::size_t i = 0; i < fat_sectors.size(); ++i) {
    std::size_t available = 0;
    const char* data = SectorData(fat_sectors[i], &available);
    if (data == nullptr) {
      Fail("an allocation-table sector lies beyond the end of the file");
    }
    for (std::size_t j = 0; j + 4 <= available; j += 4) {
      fat_[i * per_fat_sector + j / 4] = LittleU32(data + j);
    }
  }
}

const char* CompoundFile::ChainSector(std::uint32_t sector, std::size_t wanted,
                                      std::vector<bool>& visited,
                                      const char* what) const {
  if (sector >= fat_.size()) {
    Fail(std::string(what) + " refers to sector " + std::to_string(sector) +
         ", outside the allocation table");
  }
  if (visited[sector]) Fail(std::string(what) + ": its chain loops");
  visited[sector] = true;
  std::size_t available = 0;
  const char* data = SectorData(sector, &available);
  if (data == nullptr || available < wanted) {
    Fail("the file is truncated: " + std::string(what) +
         " continues beyond its end");
  }
  return data;
}

std::vector<CompoundStream::Run> CompoundFile::ChainRuns(
    std::uint32_t start, std::uint64_t size, const char* what) const {
  if (size > bytes_.size()) {
    Fail(std::string(what) + " claims " + std::to_string(size) +
         " bytes, more than the whole file");
  }
  std::vector<CompoundStream::Run> runs;
  std::uint64_t gathered = 0;
  std::uint32_t sector = start;
  std::uint32_t previous = kEndOfChain;
  std::vector<bool> visited(size > 0 ? fat_.size() : 0, false);
  while (gathered < size) {
    if (sector == kEndOfChain || sector == kFreeSector) {
      Fail(std::string(what) + " ends before its stated size");
    }
    const std::size_t wanted =
        std::min<std::uint64_t>(sector_size_, size - gathered);
    const char* data = ChainSector(sector, wanted, visited, what);
    // A sector that follows the previous one in the file lengthens its run.
    if (!runs.empty() && sector == previous + 1) {
      std::string_view& bytes = runs.back().bytes;
      bytes = std::string_view(bytes.data(), bytes.size() + wanted);
    } else {
      runs.push_back({gathered, std::string_view(data, wanted)});
    }
    gathered += wanted;
    previous = sector;
    sector = fat_[sector];
  }
  return runs;
}

std::string CompoundFile::ReadWholeChain(std::uint32_t start,
                                         const char* what) const {
  std::string out;
  std::uint32_t sector = start;
  std::vector<bool> visited(fat_.size(), false);
  while (sector != kEndOfChain) {
    out.append(ChainSector(sector, sector_size_, visited, what), sector_size_);
    sector = fat_[sector];
  }
  return out;
}

void CompoundFile::ReadDirectory() {
  // The directory's length is not stated (before version 4): it runs to the
  // end of its chain.
  const std::string directory =
      ReadWholeChain(first_directory_sector_, "the directory");
  const std::size_t count = directory.size() / kEntrySize;
  entries_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char* e = directory.data() + i * kEntrySize;
    Entry entry;
    entry.type = static_cast<std::uint8_t>(e[0x42]);
    const std::size_t name_bytes =
        std::min<std::size_t>(LittleU16(e + 0x40), 64);
    for (std::size_t j = 0; j + 2 <= name_bytes; j += 2) {
      const std::uint16_t unit = LittleU16(e + j);
      if (unit == 0) break;
      AppendUtf8(entry.name, unit);
    }
    entry.left = LittleU32(e + 0x44);
    entry.right = LittleU32(e + 0x48);
    entry.child = LittleU32(e + 0x4C);
    entry.start = LittleU32(e + 0x74);
    entry.size = LittleU32(e + 0x78);
    // Version 3 files may leave garbage in the high half of the size.
    if (major_version_ >= 4) {
      entry.size |= static_cast<std::uint64_t>(LittleU32(e + 0x7C)) << 32;
    }
    entries_.push_back(std::move(entry));
  }
  if (entries_.empty() || entries_[0].type != kRootType) {
    Fail("the directory has no root entry");
  }
}

void CompoundFile::CollectRootStreams() {
  // The root's children form a tree through their left and right siblings;
  // walk it with an explicit stack and a visited mark against loops.
  std::vector<bool> visited(entries_.size(), false);
  std::vector<std::uint32_t> stack = {entries_[0].child};
  while (!stack.empty()) {
    const std::uint32_t index = stack.back();
    stack.pop_back();
    if (index == kNoStream || index >= entries_.size() || visited[index]) {
      continue;
    }
    visited[index] = true;
    const Entry& entry = entries_[index];
    if (entry.type == kStreamType || entry.type == kStorageType) {
      if (entry.type == kStreamType) root_streams_.push_back(index);
      stack.push_back(entry.left);
      stack.push_back(entry.right);
    }
  }
  std::sort(root_streams_.begin(), root_streams_.end());
}

std::vector<std::string> CompoundFile::StreamNames() const {
  std::vector<std::string> names;
  for (std::uint32_t index : root_streams_) {
    names.push_back(entries_[index].name);
  }
  return names;
}

const CompoundFile::Entry* CompoundFile::FindStream(
    std::string_view name) const {
  for (std::uint32_t index : root_streams_) {
    if (SameName(entries_[index].name, name)) return &entries_[index];
  }
  return nullptr;
}

bool CompoundFile::HasStream(std::string_view name) const {
  return FindStream(name) != nullptr;
}

CompoundStream CompoundFile::OpenStream(std::string_view name) const {
  const Entry* entry = FindStream(name);
  if (entry == nullptr) {
    throw WorkbookError(
        path_, "the compound file has no stream named " + std::string(name));
  }
  if (entry->size < mini_cutoff_) {
    return CompoundStream(ReadMiniChain(entry->start, entry->size));
  }
  const std::string what = "the " + std::string(name) + " stream";
  return CompoundStream(ChainRuns(entry->start, entry->size, what.c_str()));
}

std::string CompoundFile::ReadStream(std::string_view name) const {
  return OpenStream(name).Copy();
}

std::string CompoundFile::ReadMiniChain(std::uint32_t start,
                                        std::uint64_t size) const {
  if (size == 0) return {};
  // Small streams live in 64-byte pieces of the mini stream (the root
  // entry's data), chained through the mini allocation table.
  const Entry& root = entries_[0];
  const std::string mini_stream =
      CompoundStream(ChainRuns(root.start, root.size, "the mini stream"))
          .Copy();
  // Some writers overstate the number of mini allocation sectors; the
  // chain's end is what counts.
  const std::string mini_fat_bytes =
      ReadWholeChain(first_mini_fat_sector_, "the mini allocation table");
  const std::size_t entry_count = mini_fat_bytes.size() / 4;
  std::string out;
  out.reserve(static_cast<std::size_t>(size));
  std::uint32_t sector = start;
  std::vector<bool> visited(entry_count, false);
  while (out.size() < size) {
    if (sector >= entry_count) {
      Fail("a small stream refers to mini sector " + std::to_string(sector) +
           ", outside the mini allocation table");
    }
    if (visited[sector]) Fail("a small stream's chain loops");
    visited[sector] = true;
    const std::uint64_t offset =
        static_cast<std::uint64_t>(sector) * mini_sector_size_;
    const std::size_t wanted =
        std::min<std::uint64_t>(mini_sector_size_, size - out.size());
    if (offset + wanted > mini_stream.size()) {
      Fail("a small stream lies beyond the end of the mini stream");
    }
    out.append(mini_stream, static_cast<std::size_t>(offset), wanted);
    sector =
        LittleU32(mini_fat_bytes.data() + 4 * static_cast<std::size_t>(sector));
  }
  return out;
}

}  // namespace kestrilo
