// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "engine/reading/xls/biff_record_reader.h"
#include "engine/reading/xls/compound_stream.h"

namespace kestrilo {

/// One record of a BIFF stream: its type, where it starts (its header) in
/// the stream, and its body.
struct BiffRecord {
  std::uint16_t type = 0;
  std::uint64_t offset = 0;
  std::string_view body;

  /// "record 0x0203 at offset 1234", for messages.
  std::string Describe() const;
};

/// Walks the records of a BIFF workbook stream read in place: a record's
/// body is a view into the file, or into a buffer of the cursor where the
/// record crosses from one run of sectors to the next. A body stays valid
/// until the next call.
class BiffRecordCursor {
 public:
  /// `path` names the file in errors.
  BiffRecordCursor(std::string path, CompoundStream stream);

  std::uint64_t stream_size() const { return stream_.size(); }

  /// Reads the record at `*position` and moves `*position` past it; false
  /// at the end of the stream (fewer than four bytes left). Throws
  /// WorkbookError when the stream ends inside the record.
  bool Next(std::uint64_t* position, BiffRecord* record);

  /// Reads the BOF record that starts a substream at `*position`, moving
  /// past it, and returns the BIFF version it states. Throws WorkbookError
  /// naming `where` ("the sheet \"Data\"") when there is none.
  std::uint16_t ReadBof(std::uint64_t* position, const std::string& where);

  /// A reader of `record`'s body and of the CONTINUE records that follow
  /// it from `next` on, valid until the next call.
  BiffRecordReader WithContinues(const BiffRecord& record, std::uint64_t next);

  /// Lets go of the buffers of records that crossed runs.
  void ReleaseBuffers();

 private:
  [[noreturn]] void Fail(const std::string& reason) const;
  bool NextInto(std::uint64_t* position, BiffRecord* record,
                std::string* buffer);

  std::string path_;
  CompoundStream stream_;
  std::string buffer_;
  // One buffer per continuation, as the reader needs all of them at once;
  // a deque, as its buffers must not move while it grows.
  std::deque<std::string> continue_buffers_;
};

}  // namespace kestrilo
