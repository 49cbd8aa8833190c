// SPDX-License-Identifier: MIT

#include "engine/reading/xls/biff_record_reader.h"

#include <algorithm>

namespace kestrilo {

BiffRecordReader::BiffRecordReader(std::vector<std::string_view> segments)
    : segments_(std::move(segments)) {}

void BiffRecordReader::SkipEmptySegments() {
  while (segment_ < segments_.size() && offset_ >= segments_[segment_].size()) {
    ++segment_;
    offset_ = 0;
  }
}

bool BiffRecordReader::AtEnd() {
  SkipEmptySegments();
  return segment_ >= segments_.size();
}

std::uint8_t BiffRecordReader::U8() {
  SkipEmptySegments();
  if (segment_ >= segments_.size()) throw TooShort();
  return static_cast<unsigned char>(segments_[segment_][offset_++]);
}

std::uint16_t BiffRecordReader::U16() {
  const std::uint16_t low = U8();
  return static_cast<std::uint16_t>(low | (U8() << 8));
}

std::uint32_t BiffRecordReader::U32() {
  const std::uint32_t low = U16();
  return low | (static_cast<std::uint32_t>(U16()) << 16);
}

void BiffRecordReader::Skip(std::uint64_t count) {
  while (count > 0) {
    SkipEmptySegments();
    if (segment_ >= segments_.size()) throw TooShort();
    const std::size_t step = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, segments_[segment_].size() - offset_));
    offset_ += step;
    count -= step;
  }
}

void BiffRecordReader::ReadCharacters(std::size_t count, bool wide,
                                      std::u16string* units) {
  units->clear();
  while (units->size() < count) {
    if (segment_ < segments_.size() && offset_ >= segments_[segment_].size()) {
      // The characters go on in the next continuation, after its own
      // option byte.
      ++segment_;
      offset_ = 0;
      if (segment_ >= segments_.size()) throw TooShort();
      wide = (U8() & 1) != 0;
    }
    if (segment_ >= segments_.size()) throw TooShort();
    const std::string_view segment = segments_[segment_];
    const auto* bytes = reinterpret_cast<const unsigned char*>(segment.data());
    const std::size_t width = wide ? 2 : 1;
    const std::size_t take =
        std::min((segment.size() - offset_) / width, count - units->size());
    if (take == 0) throw TooShort();  // half a character
    for (std::size_t i = 0; i < take; ++i, offset_ += width) {
      units->push_back(wide ? static_cast<char16_t>(bytes[offset_] |
                                                    (bytes[offset_ + 1] << 8))
                            : static_cast<char16_t>(bytes[offset_]));
    }
  }
}

std::string_view BiffRecordReader::ReadBytes(std::size_t count,
                                             std::string* scratch) {
  scratch->clear();
  while (scratch->size() < count) {
    SkipEmptySegments();
    if (segment_ >= segments_.size()) throw TooShort();
    const std::string_view segment = segments_[segment_];
    const std::size_t take =
        std::min(segment.size() - offset_, count - scratch->size());
    scratch->append(segment.substr(offset_, take));
    offset_ += take;
  }
  return *scratch;
}

void AppendUtf16AsUtf8(std::u16string_view units, std::string* out) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t code = units[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < units.size() &&
        units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (code >> 6)));
      out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out->push_back(static_cast<char>(0xE0 | (code >> 12)));
      out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xF0 | (code >> 18)));
      out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
}

}  // namespace kestrilo
