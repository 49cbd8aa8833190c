// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_sheet_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "engine/input/workbook_error.h"
#include "engine/model/excel_width.h"
#include "engine/reading/xls/little_endian.h"
#include "engine/reading/xls/xls_records.h"

namespace kestrilo {

namespace {

// An RK number: 30 significant bits of either a double or an integer,
// optionally divided by 100.
double DecodeRk(std::uint32_t rk) {
  double value;
  if (rk & 2) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu)
                               << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 1) ? value / 100.0 : value;
}

std::string_view ErrorText(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    case 0x2B:
      return "#GETTING_DATA";
    default:
      return "#N/A";
  }
}

std::uint8_t Byte(const char* at) { return static_cast<unsigned char>(*at); }

}  // namespace

XlsSheetReader::XlsSheetReader(BiffRecordCursor& records, XlsGlobals& globals,
                               const Workbook& structure)
    : records_(records), globals_(globals), structure_(structure) {}

void XlsSheetReader::Fail(const std::string& reason) const {
  throw WorkbookError(structure_.path(), reason);
}

int XlsSheetReader::Read(int sheet, XlsCellTarget& target) {
  where_ = "the sheet \"" + structure_.sheet(sheet).name() + "\"";
  target_ = &target;
  pending_string_.reset();
  formulas_without_value_ = 0;
  default_row_twips_ = 0;
  standard_width_seen_ = false;
  SheetLayout* layout = target.layout();
  // Excel's width for a sheet that states none: 8 digits and the padding.
  if (layout != nullptr) {
    layout->SetDefaultColumnWidth(*ExcelBaseWidthToPoints(8));
  }
  std::uint64_t position = globals_.SheetPosition(sheet);
  records_.ReadBof(&position, where_);
  int depth = 1;
  BiffRecord record;
  while (records_.Next(&position, &record)) {
    CountRecord(record);
    if (record.type == kBofRecord) {
      ++depth;  // an embedded chart's substream
      continue;
    }
    if (record.type == kEofRecord) {
      if (--depth > 0) continue;
      DropPendingString();
      return formulas_without_value_;
    }
    if (depth > 1) continue;
    try {
      if (layout != nullptr && HandleLayout(record, *layout)) continue;
      HandleCell(record, position);
    } catch (const BiffRecordReader::TooShort&) {
      Fail("damaged workbook: " + record.Describe() + " in " + where_ +
           " is too short");
    }
  }
  Fail("damaged workbook: " + where_ + " ends without its end record");
}

void XlsSheetReader::CountRecord(const BiffRecord& record) {
  sheet_bytes_read_ += 4 + record.body.size();
  if (sheet_bytes_read_ > records_.stream_size()) {
    Fail("damaged workbook: its sheets overlap in the workbook stream");
  }
}

std::int32_t XlsSheetReader::Column(const char* at) const {
  const std::int32_t column = LittleU16(at) + 1;
  if (column > kMaxColumns) {
    Fail("damaged workbook: a cell lies in column " + std::to_string(column) +
         ", beyond the last column of a worksheet");
  }
  return column;
}

void XlsSheetReader::SetNumber(std::int32_t row, std::int32_t column,
                               const CellFormat& format, double value) {
  target_->Value(
      row, column,
      FormattedNumber(value, format.value_format, globals_.date1904()),
      format.style);
}

// A formula's text result that never came reads as empty.
void XlsSheetReader::DropPendingString() {
  if (!pending_string_) return;
  pending_string_.reset();
  if (formulas_without_value_ < INT_MAX) ++formulas_without_value_;
}

void XlsSheetReader::HandleCell(const BiffRecord& record, std::uint64_t next) {
  const char* d = record.body.data();
  const std::size_t size = record.body.size();
  switch (record.type) {
    case kStringRecord: {
      if (!pending_string_) return;
      BiffRecordReader reader = records_.WithContinues(record, next);
      globals_.texts().Read(reader, true, &text_);
      target_->Text(pending_string_->row, pending_string_->column, text_,
                    pending_string_->style);
      pending_string_.reset();
      return;
    }
    case kMulRkRecord:
      DropPendingString();
      ReadMulRk(record);
      return;
    case kNumberRecord:
    case kRkRecord:
    case kLabelSstRecord:
    case kLabelRecord:
    case kRStringRecord:
    case kBoolErrRecord:
    case kFormulaRecord:
    case kFormula3Record:
    case kFormula4Record:
      break;
    default:
      return;
  }
  if (size < 6) throw BiffRecordReader::TooShort();
  DropPendingString();
  const std::int32_t row = LittleU16(d) + 1;
  const std::int32_t column = Column(d + 2);
  const CellFormat& format = globals_.FormatOfXf(LittleU16(d + 4));
  const std::uint32_t style = format.style;
  switch (record.type) {
    case kNumberRecord:
      if (size < 14) throw BiffRecordReader::TooShort();
      SetNumber(row, column, format, LittleF64(d + 6));
      break;
    case kRkRecord:
      if (size < 10) throw BiffRecordReader::TooShort();
      SetNumber(row, column, format, DecodeRk(LittleU32(d + 6)));
      break;
    case kLabelSstRecord: {
      if (size < 10) throw BiffRecordReader::TooShort();
      const std::uint32_t index = LittleU32(d + 6);
      if (index >= globals_.shared_string_count()) {
        Fail("damaged workbook: a cell refers to shared string " +
             std::to_string(index) + " of " +
             std::to_string(globals_.shared_string_count()));
      }
      target_->PooledText(row, column, globals_.SharedString(index), style);
      break;
    }
    case kLabelRecord:
    case kRStringRecord: {
      BiffRecordReader reader = records_.WithContinues(record, next);
      reader.Skip(6);
      globals_.texts().Read(reader, true, &text_);
      target_->Text(row, column, text_, style);
      break;
    }
    case kBoolErrRecord:
      if (size < 8) throw BiffRecordReader::TooShort();
      target_->Value(row, column,
                     Byte(d + 7) == 0
                         ? CellValue::Boolean(Byte(d + 6) != 0)
                         : CellValue::Error(ErrorText(Byte(d + 6))),
                     style);
      break;
    default:  // the formulas
      ReadFormula(record, row, column, format);
      break;
  }
}

void XlsSheetReader::ReadFormula(const BiffRecord& record, std::int32_t row,
                                 std::int32_t column,
                                 const CellFormat& format) {
  if (record.body.size() < 14) throw BiffRecordReader::TooShort();
  const char* result = record.body.data() + 6;
  if (Byte(result + 6) != 0xFF || Byte(result + 7) != 0xFF) {
    SetNumber(row, column, format, LittleF64(result));
    return;
  }
  const std::uint32_t style = format.style;
  switch (Byte(result)) {
    case 0:  // a text; it follows in a STRING record
      pending_string_ = PendingString{row, column, style};
      break;
    case 1:
      target_->Value(row, column, CellValue::Boolean(Byte(result + 2) != 0),
                     style);
      break;
    case 2:
      target_->Value(row, column, CellValue::Error(ErrorText(Byte(result + 2))),
                     style);
      break;
    case 3:
      target_->Text(row, column, "", style);
      break;
    default:
      if (formulas_without_value_ < INT_MAX) ++formulas_without_value_;
      break;
  }
}

void XlsSheetReader::ReadMulRk(const BiffRecord& record) {
  // Row, first column, then per cell an XF index and an RK number, and the
  // last column.
  if (record.body.size() < 6) throw BiffRecordReader::TooShort();
  const char* d = record.body.data();
  const std::int32_t row = LittleU16(d) + 1;
  const std::int32_t first = Column(d + 2);
  const std::size_t count = (record.body.size() - 6) / 6;
  for (std::size_t i = 0; i < count; ++i) {
    const char* cell = d + 4 + 6 * i;
    const std::int32_t column = first + static_cast<std::int32_t>(i);
    if (column > kMaxColumns) {
      Fail("damaged workbook: a cell lies beyond the last column");
    }
    SetNumber(row, column, globals_.FormatOfXf(LittleU16(cell)),
              DecodeRk(LittleU32(cell + 2)));
  }
}

bool XlsSheetReader::HandleLayout(const BiffRecord& record,
                                  SheetLayout& layout) {
  const char* d = record.body.data();
  const std::size_t size = record.body.size();
  switch (record.type) {
    case kDefColWidthRecord:
      if (size < 2) throw BiffRecordReader::TooShort();
      if (!standard_width_seen_) {
        if (auto width = ExcelBaseWidthToPoints(LittleU16(d))) {
          layout.SetDefaultColumnWidth(*width);
        }
      }
      return true;
    case kStandardWidthRecord:
      if (size < 2) throw BiffRecordReader::TooShort();
      if (auto width = ExcelColumnWidthToPoints(LittleU16(d) / 256.0)) {
        layout.SetDefaultColumnWidth(*width);
        standard_width_seen_ = true;
      }
      return true;
    case kDefaultRowHeightRecord:
      if (size < 4) throw BiffRecordReader::TooShort();
      default_row_twips_ = LittleU16(d + 2) & 0x7FFF;
      layout.SetDefaultRowHeight(default_row_twips_ / 20.0f);
      return true;
    case kColInfoRecord:
      ReadColumnInfo(record, layout);
      return true;
    case kRowRecord:
      ReadRowInfo(record, layout);
      return true;
    case kMergedCellsRecord:
      ReadMergedCells(record, layout);
      return true;
    default:
      return false;
  }
}

void XlsSheetReader::ReadColumnInfo(const BiffRecord& record,
                                    SheetLayout& layout) const {
  // First and last column, width in 1/256 of a digit, XF, options.
  if (record.body.size() < 10) throw BiffRecordReader::TooShort();
  const char* d = record.body.data();
  const std::int32_t first = LittleU16(d) + 1;
  const std::int32_t last =
      std::min<std::int32_t>(LittleU16(d + 2) + 1, kMaxColumns);
  if (first > last) return;
  SheetLayout::Span span;
  span.first = first;
  span.last = last;
  span.size = ExcelColumnWidthToPoints(LittleU16(d + 4) / 256.0);
  span.hidden = (LittleU16(d + 8) & 0x0001) != 0;
  layout.AddColumns(span);
}

void XlsSheetReader::ReadRowInfo(const BiffRecord& record,
                                 SheetLayout& layout) const {
  // Row, first and last column, height in twips (bit 15 is a flag), two
  // reserved words, options (0x20 hidden).
  if (record.body.size() < 14) throw BiffRecordReader::TooShort();
  const char* d = record.body.data();
  const std::int32_t row = LittleU16(d) + 1;
  const std::uint16_t twips = LittleU16(d + 6) & 0x7FFF;
  const bool hidden = (LittleU16(d + 12) & 0x0020) != 0;
  // Excel writes a ROW record for every row that holds cells: only those
  // that differ from the default are kept.
  std::optional<float> height;
  if (twips != default_row_twips_) height = twips / 20.0f;
  if (height || hidden) {
    layout.AddRows(SheetLayout::Span{row, row, height, hidden});
  }
}

void XlsSheetReader::ReadMergedCells(const BiffRecord& record,
                                     SheetLayout& layout) const {
  // A count, then per area its first and last row and column.
  if (record.body.size() < 2) throw BiffRecordReader::TooShort();
  const char* d = record.body.data();
  const std::size_t count =
      std::min<std::size_t>(LittleU16(d), (record.body.size() - 2) / 8);
  for (std::size_t i = 0; i < count; ++i) {
    const char* area = d + 2 + 8 * i;
    const std::int32_t top = LittleU16(area) + 1;
    const std::int32_t bottom = LittleU16(area + 2) + 1;
    const std::int32_t left = LittleU16(area + 4) + 1;
    const std::int32_t right = LittleU16(area + 6) + 1;
    if (top > bottom || left > right || right > kMaxColumns) continue;
    layout.AddMergedArea(
        BlockGeometry{top, bottom - top + 1, left, right - left + 1});
  }
}

}  // namespace kestrilo
