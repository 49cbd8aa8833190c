// SPDX-License-Identifier: MIT

#include "engine/reading/zip/zip_archive.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <memory>

#include "engine/input/reading_tally.h"
#include "engine/input/workbook_error.h"
#include "engine/reading/zip/zip_entry_stream.h"
#include "engine/text/ascii_text.h"

namespace kestrilo {

namespace {

// A read of the entry, with what it inflates counted.
zip_int64_t InflateSome(ZipEntryStream* file, void* into, zip_uint64_t size) {
  const zip_int64_t got = file->Read(into, size);
  if (got > 0) ReadingTally::CountInflated(static_cast<std::uint64_t>(got));
  return got;
}

constexpr std::uint64_t kInitialSize = 64 << 20;

std::string FoldName(std::string_view name) {
  while (!name.empty() && name.front() == '/') name.remove_prefix(1);
  std::string folded(name);
  for (char& c : folded) {
    if (c == '\\') c = '/';
    c = AsciiLower(c);
  }
  return folded;
}

std::string OpenFailure(const std::string& path, int code) {
  struct stat info;
  switch (code) {
    case ZIP_ER_NOZIP:
      return "not a zip archive, or a truncated one (no zip directory found)";
    case ZIP_ER_INCONS:
      return "the zip archive is damaged (its directory is inconsistent)";
    case ZIP_ER_NOENT:
      // Said too of a directory entry whose sizes or offset call for the
      // 64-bit values that are not there.
      if (::stat(path.c_str(), &info) != 0) return "the file does not exist";
      return "the zip archive is damaged (its directory gives sizes or "
             "offsets that are not there)";
    case ZIP_ER_MULTIDISK:
      return "split (multi-part) zip archives are not supported";
    case ZIP_ER_MEMORY:
      return "not enough memory to open the zip archive";
    default: {
      zip_error_t error;
      zip_error_init_with_code(&error, code);
      std::string text = std::string("cannot open the zip archive: ") +
                         zip_error_strerror(&error);
      zip_error_fini(&error);
      return text;
    }
  }
}

std::string ReadFailure(zip_error_t* error) {
  switch (zip_error_code_zip(error)) {
    case ZIP_ER_CRC:
      return "is damaged (checksum mismatch)";
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
      return "is damaged (invalid compressed data)";
    case ZIP_ER_EOF:
    case ZIP_ER_READ:
      return "is truncated or unreadable";
    case ZIP_ER_INCONS:
      return "is damaged (inconsistent sizes)";
    case ZIP_ER_INVAL:  // our arguments are sound: the offset is not
    case ZIP_ER_SEEK:
      return "is damaged (the zip directory places it where its data is "
             "not)";
    default:
      return std::string("cannot be read: ") + zip_error_strerror(error);
  }
}

}  // namespace

ZipArchive::ZipArchive(const std::string& path) : path_(path) {
  int code = 0;
  ReadingTally::CountOpen();
  archive_ = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (archive_ == nullptr) throw WorkbookError(path, OpenFailure(path, code));
  const zip_int64_t count = zip_get_num_entries(archive_, 0);
  names_.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name =
        zip_get_name(archive_, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
    names_.emplace_back(name != nullptr ? name : "");
    exact_.emplace(names_.back(), i);
    folded_.emplace(FoldName(names_.back()), i);
  }
}

ZipArchive::~ZipArchive() {
  if (archive_ != nullptr) zip_discard(archive_);
}

std::int64_t ZipArchive::Find(std::string_view name) const {
  if (auto it = exact_.find(std::string(name)); it != exact_.end()) {
    return it->second;
  }
  if (auto it = folded_.find(FoldName(name)); it != folded_.end()) {
    return it->second;
  }
  return -1;
}

bool ZipArchive::Contains(std::string_view name) const {
  return Find(name) >= 0;
}

std::optional<std::uint64_t> ZipArchive::EntrySize(
    std::string_view name) const {
  const std::int64_t index = Find(name);
  zip_stat_t stat;
  if (index < 0 ||
      zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) !=
          0 ||
      (stat.valid & ZIP_STAT_SIZE) == 0) {
    return std::nullopt;
  }
  return stat.size;
}

void ZipArchive::Fail(std::string_view entry, const std::string& why) const {
  throw WorkbookError(path_, "the part " + std::string(entry) + " " + why);
}

std::int64_t ZipArchive::FindOrThrow(std::string_view name) const {
  const std::int64_t index = Find(name);
  if (index < 0) Fail(name, "is missing");
  return index;
}

std::uint64_t ZipArchive::CheckedSize(std::string_view name, std::int64_t index,
                                      std::uint64_t max_size) const {
  zip_stat_t stat;
  if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) !=
          0 ||
      (stat.valid & ZIP_STAT_SIZE) == 0) {
    Fail(name, "has no readable size");
  }
  if (stat.size > max_size) {
    Fail(name, "is too large to read (" + std::to_string(stat.size) +
                   " bytes uncompressed)");
  }
  // Deflate cannot expand data more than about 1032 to 1; a larger claim
  // is a crafted archive, refused before any memory is set aside for it.
  if ((stat.valid & ZIP_STAT_COMP_SIZE) != 0 &&
      (stat.valid & ZIP_STAT_COMP_METHOD) != 0) {
    const bool deflated = stat.comp_method == ZIP_CM_DEFLATE;
    const bool stored = stat.comp_method == ZIP_CM_STORE;
    if ((deflated && stat.size > stat.comp_size * 1100 + 65536) ||
        (stored && stat.size != stat.comp_size)) {
      Fail(name, "states a size its compressed data cannot hold");
    }
  }
  return stat.size;
}

ZipArchive::File ZipArchive::Open(std::string_view name,
                                  std::int64_t index) const {
  File file = ZipEntryStream::Open(archive_, static_cast<zip_uint64_t>(index));
  if (!file) {
    zip_error_t* error = zip_get_error(archive_);
    const int code = zip_error_code_zip(error);
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_ENCRNOTSUPP) {
      Fail(name, "is encrypted");
    }
    if (code == ZIP_ER_COMPNOTSUPP) {
      Fail(name, "uses a compression method we cannot read");
    }
    Fail(name, ReadFailure(error));
  }
  return file;
}

void ZipArchive::ReadChunks(std::string_view name,
                            const std::function<void(std::string_view)>& sink,
                            std::uint64_t max_size) const {
  const std::int64_t index = FindOrThrow(name);
  const std::uint64_t stated = CheckedSize(name, index, max_size);
  File file = Open(name, index);
  std::unique_ptr<char[]> buffer(new char[kChunkSize]);
  std::uint64_t total = 0;
  for (;;) {
    const zip_int64_t got = InflateSome(file.get(), buffer.get(), kChunkSize);
    if (got < 0) Fail(name, ReadFailure(file->error()));
    if (got == 0) break;
    total += static_cast<std::uint64_t>(got);
    // A stored size that lies is a sign of a crafted archive; refuse
    // rather than keep inflating.
    if (total > stated) Fail(name, "is larger than its stated size");
    sink(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
  }
  if (total != stated) Fail(name, "is shorter than its stated size");
}

void ZipArchive::ReadInto(
    std::string_view name, char* buffer,
    const std::function<bool(std::uint64_t done)>& progress,
    std::uint64_t max_size) const {
  const std::int64_t index = FindOrThrow(name);
  const std::uint64_t stated = CheckedSize(name, index, max_size);
  File file = Open(name, index);
  std::uint64_t total = 0;
  while (total < stated) {
    const zip_int64_t got =
        InflateSome(file.get(), buffer + total,
                    std::min<std::uint64_t>(kChunkSize, stated - total));
    if (got < 0) Fail(name, ReadFailure(file->error()));
    if (got == 0) Fail(name, "is shorter than its stated size");
    total += static_cast<std::uint64_t>(got);
    if (total < stated && !progress(total)) return;
  }
  char probe;
  const zip_int64_t extra = InflateSome(file.get(), &probe, 1);
  if (extra < 0) Fail(name, ReadFailure(file->error()));
  if (extra > 0) Fail(name, "is larger than its stated size");
  progress(total);
}

std::string ZipArchive::Read(std::string_view name,
                             std::uint64_t max_size) const {
  const std::int64_t index = FindOrThrow(name);
  const std::uint64_t stated = CheckedSize(name, index, max_size);
  File file = Open(name, index);
  // Grow towards the stated size as data arrives, so that a small archive
  // claiming a huge entry costs nothing before its lie shows.
  std::string content;
  content.resize(static_cast<std::size_t>(std::min(stated, kInitialSize)));
  std::uint64_t total = 0;
  while (total < stated) {
    if (total == content.size()) {
      content.resize(static_cast<std::size_t>(
          std::min<std::uint64_t>(stated, 2 * content.size())));
    }
    const zip_int64_t got =
        InflateSome(file.get(), content.data() + total, content.size() - total);
    if (got < 0) Fail(name, ReadFailure(file->error()));
    if (got == 0) Fail(name, "is shorter than its stated size");
    total += static_cast<std::uint64_t>(got);
  }
  char probe;
  const zip_int64_t extra = InflateSome(file.get(), &probe, 1);
  if (extra < 0) Fail(name, ReadFailure(file->error()));
  if (extra > 0) Fail(name, "is larger than its stated size");
  return content;
}

}  // namespace kestrilo
