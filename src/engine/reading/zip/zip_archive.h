// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/input/reader_budget.h"

struct zip;

namespace kestrilo {

class ZipEntryStream;

/// Read-only access to the parts of a zip package (xlsx, ods).
///
/// Every failure throws WorkbookError naming the archive and the reason.
/// Entries are inflated with a hard size cap and their stated sizes are
/// checked while reading, so a crafted archive cannot make us allocate
/// without bound.
class ZipArchive {
 public:
  /// The largest entry we inflate: far above any real sheet part, far
  /// below what would exhaust a desktop's memory.
  static constexpr std::uint64_t kDefaultMaxEntrySize =
      ReaderBudget::kPartBytes;

  /// Opens `path`; throws WorkbookError when it is missing, no zip archive,
  /// truncated or damaged.
  explicit ZipArchive(const std::string& path);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  const std::string& path() const { return path_; }

  /// The names of the entries, in archive order (directories included).
  const std::vector<std::string>& EntryNames() const { return names_; }
  bool Contains(std::string_view name) const;
  /// The stated uncompressed size of an entry; nothing if it is absent.
  std::optional<std::uint64_t> EntrySize(std::string_view name) const;

  /// Inflates the whole entry. Names are matched exactly, then without a
  /// leading '/', then without regard to ASCII case. Throws WorkbookError
  /// when the entry is absent, larger than `max_size`, or damaged.
  std::string Read(std::string_view name,
                   std::uint64_t max_size = kDefaultMaxEntrySize) const;
  /// Like Read(), but hands the inflated bytes to `sink` in chunks and
  /// never holds the whole entry.
  void ReadChunks(std::string_view name,
                  const std::function<void(std::string_view)>& sink,
                  std::uint64_t max_size = kDefaultMaxEntrySize) const;
  /// The most bytes ReadChunks and ReadInto inflate at a time.
  static constexpr std::size_t kChunkSize = std::size_t{1} << 20;

  /// Inflates the entry into `buffer`, which has room for EntrySize()
  /// bytes (at most `max_size`), calling `progress` with the count done
  /// after each chunk; `progress` returns false to stop early.
  void ReadInto(std::string_view name, char* buffer,
                const std::function<bool(std::uint64_t done)>& progress,
                std::uint64_t max_size = kDefaultMaxEntrySize) const;

 private:
  /// The index of an entry, or -1.
  std::int64_t Find(std::string_view name) const;
  std::int64_t FindOrThrow(std::string_view name) const;
  /// Checks the stated size against `max_size` and against what the
  /// compressed data can possibly hold; returns it.
  std::uint64_t CheckedSize(std::string_view name, std::int64_t index,
                            std::uint64_t max_size) const;
  using File = std::unique_ptr<ZipEntryStream>;
  File Open(std::string_view name, std::int64_t index) const;
  [[noreturn]] void Fail(std::string_view entry, const std::string& why) const;

  std::string path_;
  zip* archive_ = nullptr;
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::int64_t> exact_;
  std::unordered_map<std::string, std::int64_t> folded_;
};

}  // namespace kestrilo
