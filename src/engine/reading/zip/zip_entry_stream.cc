// SPDX-License-Identifier: MIT

#include "engine/reading/zip/zip_entry_stream.h"

#include <libdeflate.h>

#include <algorithm>
#include <climits>

namespace kestrilo {

namespace {

// Raw data is read in pieces of this size.
constexpr std::size_t kInputPiece = std::size_t{256} << 10;

// Whether libzip states all that reading an entry raw needs: deflated,
// not encrypted, with a checksum.
bool ReadableRaw(const zip_stat_t& stat) {
  constexpr zip_uint64_t kNeeded =
      ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD | ZIP_STAT_CRC;
  return (stat.valid & kNeeded) == kNeeded &&
         stat.comp_method == ZIP_CM_DEFLATE &&
         stat.encryption_method == ZIP_EM_NONE;
}

}  // namespace

std::unique_ptr<ZipEntryStream> ZipEntryStream::Open(zip_t* archive,
                                                     zip_uint64_t index) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  const bool raw =
      zip_stat_index(archive, index, 0, &stat) == 0 && ReadableRaw(stat);
  zip_file_t* file =
      zip_fopen_index(archive, index, raw ? ZIP_FL_COMPRESSED : 0);
  if (file == nullptr) return nullptr;
  std::unique_ptr<ZipEntryStream> entry(new ZipEntryStream(file));
  if (raw && inflateInit2(&entry->stream_, -MAX_WBITS) == Z_OK) {
    entry->raw_ = true;
    entry->stated_crc_ = stat.crc;
    entry->input_.reset(new unsigned char[kInputPiece]);
  } else if (raw) {
    // Without an inflater of our own, libzip reads the entry.
    zip_fclose(entry->file_);
    entry->file_ = zip_fopen_index(archive, index, 0);
    if (entry->file_ == nullptr) return nullptr;
  }
  return entry;
}

ZipEntryStream::ZipEntryStream(zip_file_t* file) : file_(file) {
  zip_error_init(&error_);
}

ZipEntryStream::~ZipEntryStream() {
  if (raw_) inflateEnd(&stream_);
  if (file_ != nullptr) zip_fclose(file_);
  zip_error_fini(&error_);
}

zip_error_t* ZipEntryStream::error() {
  return own_error_ ? &error_ : zip_file_get_error(file_);
}

zip_int64_t ZipEntryStream::Read(void* into, zip_uint64_t size) {
  if (!raw_) return zip_fread(file_, into, size);
  return Inflate(into, size);
}

zip_int64_t ZipEntryStream::Refuse(int code) {
  zip_error_set(&error_, code, 0);
  own_error_ = true;
  return -1;
}

// Gives the inflater more raw data; false when reading it failed.
bool ZipEntryStream::TakeInput() {
  const zip_int64_t got = zip_fread(file_, input_.get(), kInputPiece);
  if (got < 0) return false;
  input_ended_ = got == 0;
  stream_.next_in = input_.get();
  stream_.avail_in = static_cast<uInt>(got);
  return true;
}

zip_int64_t ZipEntryStream::Inflate(void* into, zip_uint64_t size) {
  if (own_error_) return -1;
  if (ended_ || size == 0) return 0;
  auto* out = static_cast<unsigned char*>(into);
  stream_.next_out = out;
  stream_.avail_out = static_cast<uInt>(std::min<zip_uint64_t>(size, UINT_MAX));
  while (stream_.avail_out > 0 && !ended_) {
    if (stream_.avail_in == 0 && !input_ended_ && !TakeInput()) return -1;
    const int result = inflate(&stream_, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      ended_ = true;
    } else if (result == Z_BUF_ERROR && input_ended_) {
      return Refuse(ZIP_ER_EOF);  // the raw data ends inside the stream
    } else if (result != Z_OK && result != Z_BUF_ERROR) {
      return Refuse(result == Z_MEM_ERROR ? ZIP_ER_MEMORY
                                          : ZIP_ER_COMPRESSED_DATA);
    }
  }
  const std::size_t produced = static_cast<std::size_t>(stream_.next_out - out);
  crc_ = static_cast<std::uint32_t>(libdeflate_crc32(crc_, out, produced));
  if (ended_ && crc_ != stated_crc_) return Refuse(ZIP_ER_CRC);
  return static_cast<zip_int64_t>(produced);
}

}  // namespace kestrilo
