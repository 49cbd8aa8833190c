// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reading/xls/compound_stream.h"

namespace kestrilo {

/// A read-only view of a compound file (the OLE2 container of .xls, .doc
/// and encrypted Office Open XML files): the streams of its root storage.
///
/// The whole file is held in memory, once (streams are read where their
/// sectors lie), and every sector number, chain and size is checked before
/// use, so a damaged or hostile file ends in a WorkbookError naming the
/// file and the problem, never in a crash, a hang or an allocation larger
/// than the file.
class CompoundFile {
 public:
  /// Reads the file at `path`. Throws WorkbookError.
  static CompoundFile Open(const std::string& path);

  /// Parses a container held in `bytes`; `path` names it in errors.
  /// Throws WorkbookError.
  CompoundFile(std::string path, std::string bytes);

  const std::string& path() const { return path_; }
  /// The names of the streams in the root storage, in directory order.
  std::vector<std::string> StreamNames() const;
  /// Whether the root storage holds a stream of that name (names compare
  /// without regard to ASCII letter case, as the container defines).
  bool HasStream(std::string_view name) const;
  /// A stream of the root storage, read where it lies in the file held
  /// here (a small stream is copied out of the mini stream). Throws
  /// WorkbookError when there is no such stream or its sectors are damaged.
  CompoundStream OpenStream(std::string_view name) const;
  /// The content of a stream of the root storage, copied.
  std::string ReadStream(std::string_view name) const;

 private:
  struct Entry {
    std::string name;  // UTF-8
    std::uint8_t type = 0;
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    std::uint32_t child = 0;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
  };

  [[noreturn]] void Fail(const std::string& reason) const;
  void ParseHeader();
  void ReadFat();
  void ReadDirectory();
  void CollectRootStreams();
  const char* SectorData(std::uint32_t sector, std::size_t* available) const;
  std::vector<CompoundStream::Run> ChainRuns(std::uint32_t start,
                                             std::uint64_t size,
                                             const char* what) const;
  std::string ReadWholeChain(std::uint32_t start, const char* what) const;
  /// The bytes of `sector` of the chain of `what`, of which `wanted` must
  /// lie in the file; throws for a sector outside the table, a chain that
  /// comes back to a sector in `visited`, and a truncated file.
  const char* ChainSector(std::uint32_t sector, std::size_t wanted,
                          std::vector<bool>& visited, const char* what) const;
  std::string ReadMiniChain(std::uint32_t start, std::uint64_t size) const;
  const Entry* FindStream(std::string_view name) const;

  std::string path_;
  std::string bytes_;
  std::uint32_t sector_shift_ = 9;
  std::uint32_t sector_size_ = 512;
  std::uint32_t mini_sector_size_ = 64;
  std::uint32_t mini_cutoff_ = 4096;
  std::uint16_t major_version_ = 3;
  std::uint32_t fat_sector_count_ = 0;
  std::uint32_t first_directory_sector_ = 0;
  std::uint32_t first_mini_fat_sector_ = 0;
  std::uint32_t first_difat_sector_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> root_streams_;  // indices into entries_
};

}  // namespace kestrilo
