// SPDX-License-Identifier: MIT

#include "engine/reading/xls/biff_record_cursor.h"

#include <cstdio>
#include <vector>

#include "engine/input/workbook_error.h"
#include "engine/reading/xls/little_endian.h"
#include "engine/reading/xls/xls_records.h"

namespace kestrilo {

namespace {

constexpr std::size_t kHeaderSize = 4;

}  // namespace

std::string BiffRecord::Describe() const {
  char text[64];
  std::snprintf(text, sizeof text, "record 0x%04X at offset %llu", type,
                static_cast<unsigned long long>(offset));
  return text;
}

BiffRecordCursor::BiffRecordCursor(std::string path, CompoundStream stream)
    : path_(std::move(path)), stream_(std::move(stream)) {}

void BiffRecordCursor::Fail(const std::string& reason) const {
  throw WorkbookError(path_, reason);
}

bool BiffRecordCursor::Next(std::uint64_t* position, BiffRecord* record) {
  return NextInto(position, record, &buffer_);
}

bool BiffRecordCursor::NextInto(std::uint64_t* position, BiffRecord* record,
                                std::string* buffer) {
  const std::uint64_t at = *position;
  if (at + kHeaderSize > stream_.size()) return false;
  std::string_view here = stream_.Contiguous(at);
  if (here.size() < kHeaderSize) here = stream_.Read(at, kHeaderSize, buffer);
  const std::uint16_t size = LittleU16(here.data() + 2);
  record->type = LittleU16(here.data());
  record->offset = at;
  if (at + kHeaderSize + size > stream_.size()) {
    Fail(
        "damaged workbook: the workbook stream is truncated inside a record "
        "at offset " +
        std::to_string(at));
  }
  record->body = here.size() >= kHeaderSize + size
                     ? here.substr(kHeaderSize, size)
                     : stream_.Read(at + kHeaderSize, size, buffer);
  *position = at + kHeaderSize + size;
  return true;
}

std::uint16_t BiffRecordCursor::ReadBof(std::uint64_t* position,
                                        const std::string& where) {
  BiffRecord record;
  if (!Next(position, &record)) {
    Fail("damaged workbook: " + where +
         " starts beyond the end of the workbook stream");
  }
  if (record.type != kBofRecord || record.body.size() < 4) {
    Fail("damaged workbook: " + where + " does not start with a BOF record");
  }
  return LittleU16(record.body.data());
}

BiffRecordReader BiffRecordCursor::WithContinues(const BiffRecord& record,
                                                 std::uint64_t next) {
  std::vector<std::string_view> segments = {record.body};
  BiffRecord follower;
  for (std::size_t i = 0;; ++i) {
    if (i == continue_buffers_.size()) continue_buffers_.emplace_back();
    if (!NextInto(&next, &follower, &continue_buffers_[i]) ||
        follower.type != kContinueRecord) {
      break;
    }
    segments.push_back(follower.body);
  }
  return BiffRecordReader(std::move(segments));
}

void BiffRecordCursor::ReleaseBuffers() {
  continue_buffers_.clear();
  continue_buffers_.shrink_to_fit();
  buffer_ = std::string();
}

}  // namespace kestrilo
