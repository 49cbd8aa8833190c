// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_globals.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "engine/input/workbook_error.h"
#include "engine/reading/xls/little_endian.h"
#include "engine/reading/xls/xls_records.h"

namespace kestrilo {

XlsGlobals::XlsGlobals(BiffRecordCursor& records, Workbook& workbook)
    : records_(records), workbook_(workbook) {
  CheckVersion();
  ReadRecords();
  ResolveXfs();
  AddSheets();
  records_.ReleaseBuffers();
}

void XlsGlobals::Fail(const std::string& reason) const {
  throw WorkbookError(workbook_.path(), reason);
}

void XlsGlobals::CheckVersion() {
  if (records_.stream_size() == 0) {
    Fail("damaged workbook: the workbook stream is empty");
  }
  std::uint64_t position = 0;
  BiffRecord first;
  // The BOF record numbers of BIFF2, BIFF3 and BIFF4.
  if (records_.Next(&position, &first) &&
      (first.type == 0x0009 || first.type == 0x0209 || first.type == 0x0409)) {
    Fail(
        "Excel 2.x-4.x workbooks are not supported; save it as .xls or "
        ".xlsx first");
  }
  position = 0;
  const std::uint16_t version = records_.ReadBof(&position, "the workbook");
  if (version != kBiff8Version && version != kBiff5Version) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", version);
    Fail(std::string("unsupported Excel file version (BIFF version 0x") + hex +
         ")");
  }
  texts_ = XlsTextReader(version == kBiff8Version);
}

void XlsGlobals::ReadRecords() {
  std::uint64_t position = 0;
  records_.ReadBof(&position, "the workbook");
  BiffRecord record;
  while (records_.Next(&position, &record)) {
    if (record.type == kEofRecord) return;
    try {
      HandleRecord(record, position);
    } catch (const BiffRecordReader::TooShort&) {
      Fail("damaged workbook: " + record.Describe() + " is too short");
    }
  }
  Fail(
      "damaged workbook: the workbook stream ends before its sheet list "
      "is complete");
}

void XlsGlobals::HandleRecord(const BiffRecord& record, std::uint64_t next) {
  const char* d = record.body.data();
  const std::size_t size = record.body.size();
  switch (record.type) {
    case kFilePassRecord:
      Fail("the workbook is password-protected (encrypted)");
    case kCodePageRecord:
      if (size < 2) throw BiffRecordReader::TooShort();
      texts_.set_code_page(LittleU16(d));
      break;
    case kDateModeRecord:
      if (size < 2) throw BiffRecordReader::TooShort();
      date1904_ = LittleU16(d) == 1;
      break;
    case kWindow1Record:
      if (size < 12) throw BiffRecordReader::TooShort();
      if (!window_seen_) active_tab_ = LittleU16(d + 10);
      window_seen_ = true;
      break;
    case kBoundSheetRecord:
      ReadBoundSheet(record, next);
      break;
    case kFormatRecord:
      ReadFormat(record, next);
      break;
    case kXfRecord:
      if (size < 4) throw BiffRecordReader::TooShort();
      styles_.ReadXf(record.body, texts_.biff8());
      break;
    case kFontRecord:
      styles_.ReadFont(record.body);
      break;
    case kPaletteRecord:
      styles_.ReadPalette(record.body);
      break;
    case kSstRecord:
      ReadSst(record, next);
      break;
    default:
      if (XlsNames::Reads(record.type)) {
        BiffRecordReader reader = records_.WithContinues(record, next);
        names_.Read(record.type, reader, texts_.biff8(), workbook_);
      }
      break;
  }
}

void XlsGlobals::ReadBoundSheet(const BiffRecord& record, std::uint64_t next) {
  BiffRecordReader reader = records_.WithContinues(record, next);
  BoundSheet bound;
  bound.position = reader.U32();
  bound.hidden = (reader.U8() & 0x03) != 0;
  bound.worksheet = reader.U8() == 0;
  if (texts_.biff8()) {
    texts_.ReadUnicode(reader, false, &bound.name);
  } else {
    // Decoded once the code page is known for certain.
    const std::size_t count = reader.U8();
    bound.name = std::string(reader.ReadBytes(count, &text_));
  }
  bound_sheets_.push_back(std::move(bound));
}

void XlsGlobals::ReadFormat(const BiffRecord& record, std::uint64_t next) {
  BiffRecordReader reader = records_.WithContinues(record, next);
  const std::uint16_t id = reader.U16();
  texts_.Read(reader, texts_.biff8(), &formats_[id]);
}

void XlsGlobals::ReadSst(const BiffRecord& record, std::uint64_t next) {
  BiffRecordReader reader = records_.WithContinues(record, next);
  reader.U32();  // total number of references
  const std::uint32_t unique = reader.U32();
  StringPool& pool = workbook_.strings();
  // Never trust the count for the allocation: each string takes at least
  // three bytes of the stream.
  shared_strings_.reserve(
      std::min<std::uint64_t>(unique, records_.stream_size() / 3));
  for (std::uint32_t i = 0; i < unique; ++i) {
    if (reader.AtEnd()) break;  // some writers overstate the count
    texts_.ReadUnicode(reader, true, &text_);
    shared_strings_.push_back(pool.Add(text_));
  }
}

void XlsGlobals::ResolveXfs() {
  try {
    xf_formats_ = styles_.Resolve(formats_, workbook_.styles());
  } catch (const std::length_error& error) {
    Fail(std::string("damaged workbook: its styles hold ") + error.what());
  }
}

// Chart sheets and macro sheets hold no cells: only worksheets become
// sheets, and the active tab and names are counted among them.
void XlsGlobals::AddSheets() {
  int active = 0;
  std::vector<int> sheet_of_bound(bound_sheets_.size(), -1);
  for (std::size_t i = 0; i < bound_sheets_.size(); ++i) {
    BoundSheet& bound = bound_sheets_[i];
    if (!bound.worksheet) continue;
    sheet_of_bound[i] = workbook_.sheet_count();
    std::string name;
    if (texts_.biff8()) {
      name = std::move(bound.name);
    } else {
      texts_.Decode(bound.name, &name);
    }
    workbook_.AddSheet(std::move(name), bound.hidden);
    sheet_positions_.push_back(bound.position);
    if (static_cast<int>(i) == active_tab_) {
      active = workbook_.sheet_count() - 1;
    }
  }
  if (workbook_.sheet_count() == 0) {
    Fail("the workbook holds no worksheets");
  }
  names_.AddTo(workbook_, sheet_of_bound, [this](std::string_view raw) {
    std::string name;
    texts_.Decode(raw, &name);
    return name;
  });
  workbook_.set_active_sheet(active);
  bound_sheets_.clear();
  formats_.clear();
  styles_ = XlsStyles();
}

}  // namespace kestrilo
