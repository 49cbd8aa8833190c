// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

/// Reads the body of one BIFF record together with the CONTINUE records
/// that follow it, as one sequence of bytes.
///
/// Records hold at most 8224 bytes, so long string tables and long texts go
/// on in CONTINUE records. A character array split across such a boundary
/// restarts with a fresh option byte (which may switch between one- and
/// two-byte characters); ReadCharacters honours it, while other data simply
/// runs on.
class BiffRecordReader {
 public:
  /// Thrown when the data ends before what the record declares.
  struct TooShort {};

  /// `segments` are the bodies of the record and of its continuations;
  /// they must outlive the reader.
  explicit BiffRecordReader(std::vector<std::string_view> segments);

  bool AtEnd();
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  void Skip(std::uint64_t count);
  /// Reads `count` characters into `units`, two bytes each when `wide`,
  /// else one (their high byte zero).
  void ReadCharacters(std::size_t count, bool wide, std::u16string* units);
  /// Reads `count` bytes of an 8-bit text, using `scratch` as storage.
  std::string_view ReadBytes(std::size_t count, std::string* scratch);

 private:
  void SkipEmptySegments();

  std::vector<std::string_view> segments_;
  std::size_t segment_ = 0;
  std::size_t offset_ = 0;
};

/// Appends UTF-16 code units as UTF-8; unpaired surrogates become U+FFFD.
void AppendUtf16AsUtf8(std::u16string_view units, std::string* out);

}  // namespace kestrilo
