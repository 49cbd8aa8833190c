// SPDX-License-Identifier: MIT

#pragma once

#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <memory>

namespace kestrilo {

/// One entry of a zip archive, inflated as it is read. A deflated entry is
/// inflated here from its raw data, its checksum computed with the fastest
/// code the processor runs (a large sheet's part holds hundreds of
/// megabytes); any other entry (stored, another method, encrypted) is read
/// through libzip as it is.
class ZipEntryStream {
 public:
  /// Opens entry `index` of `archive`; null when libzip refuses it, its
  /// reason then in the archive's error.
  static std::unique_ptr<ZipEntryStream> Open(zip_t* archive,
                                              zip_uint64_t index);
  ~ZipEntryStream();
  ZipEntryStream(const ZipEntryStream&) = delete;
  ZipEntryStream& operator=(const ZipEntryStream&) = delete;

  /// Inflates up to `size` bytes into `into`: their count, 0 once the
  /// entry has ended, -1 for a failure, told by error(). A checksum that
  /// does not match fails the read that ends the entry.
  zip_int64_t Read(void* into, zip_uint64_t size);

  /// Why the last Read failed, as libzip's codes tell it.
  zip_error_t* error();

 private:
  explicit ZipEntryStream(zip_file_t* file);
  zip_int64_t Inflate(void* into, zip_uint64_t size);
  zip_int64_t Refuse(int code);
  bool TakeInput();

  zip_file_t* file_;
  // Set for a deflated entry read raw.
  bool raw_ = false;
  z_stream stream_{};
  std::unique_ptr<unsigned char[]> input_;
  bool input_ended_ = false;
  bool ended_ = false;
  std::uint32_t crc_ = 0;
  std::uint32_t stated_crc_ = 0;
  zip_error_t error_;
  bool own_error_ = false;
};

}  // namespace kestrilo
