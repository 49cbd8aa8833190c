#include "engine/reading/xls/xls_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/model/excel_width.h"
#include "engine/reading/input_file.h"
#include "engine/reading/value_format.h"
#include "engine/reading/workbook_error.h"
#include "engine/reading/xls/biff_record_reader.h"
#include "engine/reading/xls/code_page_decoder.h"
#include "engine/reading/xls/compound_file.h"
#include "engine/reading/xls/xls_names.h"

namespace kestrilo {

namespace {

// Record types of the BIFF5 to BIFF8 workbook stream that we read.
enum Record : std::uint16_t {
  kFormula = 0x0006,
  // Formula record numbers of BIFF3 and BIFF4, which some writers still use
  // for formulas of later versions, with the later layout.
  kFormula3 = 0x0206,
  kFormula4 = 0x0406,
  kEof = 0x000A,
  kDateMode = 0x0022,
  kFilePass = 0x002F,
  kContinue = 0x003C,
  kWindow1 = 0x003D,
  kCodePage = 0x0042,
  kBoundSheet = 0x0085,
  kMulRk = 0x00BD,
  kRString = 0x00D6,
  kXf = 0x00E0,
  kSst = 0x00FC,
  kLabelSst = 0x00FD,
  kNumber = 0x0203,
  kLabel = 0x0204,
  kBoolErr = 0x0205,
  kString = 0x0207,
  kRk = 0x027E,
  kFormat = 0x041E,
  kBof = 0x0809,
  // Layout records of a sheet.
  kDefColWidth = 0x0055,
  kColInfo = 0x007D,
  kStandardWidth = 0x0099,
  kMergedCells = 0x00E5,
  kRow = 0x0208,
  kDefaultRowHeight = 0x0225,
};

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;

std::uint16_t U16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) |
         (static_cast<std::uint32_t>(p[3]) << 24);
}

double F64(const unsigned char* p) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

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

struct RecordView {
  std::uint16_t type = 0;
  std::size_t offset = 0;  // of the record header in the stream
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

struct BoundSheet {
  std::uint32_t position = 0;
  bool hidden = false;
  bool worksheet = true;
  std::string raw_name;  // as stored; decoded once the code page is known
  bool name_is_utf8 = false;
};

// A formula whose string result follows in the next STRING record.
struct PendingString {
  std::int32_t row = 0;
  std::int32_t column = 0;
};

class XlsParser {
 public:
  XlsParser(std::string path, std::string stream)
      : path_(std::move(path)), stream_(std::move(stream)) {}

  std::unique_ptr<Workbook> Parse();

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw WorkbookError(path_, reason);
  }
  bool NextRecord(std::size_t* position, RecordView* record) const;
  BiffRecordReader ReaderWithContinues(const RecordView& record,
                                       std::size_t next) const;
  std::uint16_t ReadBof(std::size_t position, const char* where) const;
  void CheckVersion() const;
  const unsigned char* Bytes(std::size_t offset) const {
    return reinterpret_cast<const unsigned char*>(stream_.data()) + offset;
  }
  void ReadGlobals();
  void HandleGlobalRecord(const RecordView& record, std::size_t next);
  void ReadBoundSheet(const RecordView& record, std::size_t next);
  void ReadFormat(const RecordView& record, std::size_t next);
  void ReadSst(const RecordView& record, std::size_t next);
  std::string ReadUnicodeString(BiffRecordReader* reader, bool long_count);
  std::string ReadText(BiffRecordReader* reader, bool long_count);
  void ClassifyXfs();
  void ReadSheet(const BoundSheet& bound, Sheet* sheet);
  void HandleCell(const RecordView& record, std::size_t next, Sheet* sheet);
  /// Reads a record of column widths, row heights or merged areas; false
  /// for any other record.
  bool HandleLayout(const RecordView& record, SheetLayout& layout);
  void ReadColumnInfo(const RecordView& record, SheetLayout& layout) const;
  void ReadRowInfo(const RecordView& record, SheetLayout& layout) const;
  void ReadMergedCells(const RecordView& record, SheetLayout& layout) const;
  void SetNumber(Sheet* sheet, std::int32_t row, std::int32_t column,
                 std::uint16_t xf, double value) const;
  void ReadFormula(const RecordView& record, Sheet* sheet, std::int32_t row,
                   std::int32_t column, std::uint16_t xf);
  void ReadMulRk(const RecordView& record, Sheet* sheet);
  std::int32_t Column(const unsigned char* p) const;
  std::string DescribeRecord(const RecordView& record) const;
  const CodePageDecoder& Decoder();

  std::string path_;
  std::string stream_;
  std::uint16_t version_ = kBiff8;
  bool date1904_ = false;
  int active_tab_ = 0;
  bool window_seen_ = false;
  std::optional<CodePageDecoder> decoder_;
  int decoder_code_page_ = 0;
  // Bytes of sheet records read so far: each record belongs to one sheet,
  // so more than the stream holds means sheets overlap (a reading bomb).
  std::size_t sheet_bytes_read_ = 0;
  int code_page_ = 1252;
  std::vector<BoundSheet> bound_sheets_;
  std::vector<std::uint16_t> xf_format_ids_;
  std::vector<ValueFormat> xf_formats_;
  std::unordered_map<std::uint16_t, std::string> formats_;
  std::unique_ptr<Workbook> workbook_;
  std::vector<std::uint32_t> sst_;  // pool index of each shared string
  std::optional<PendingString> pending_string_;
  // Of the sheet being read: its default row height in twips, and whether
  // STANDARDWIDTH, which wins over DEFCOLWIDTH, was seen.
  std::uint16_t default_row_twips_ = 0;
  bool standard_width_seen_ = false;
  std::u16string units_;
  std::string scratch_;
  XlsNames names_;
};

bool XlsParser::NextRecord(std::size_t* position, RecordView* record) const {
  if (*position + 4 > stream_.size()) return false;
  const auto* header =
      reinterpret_cast<const unsigned char*>(stream_.data() + *position);
  record->type = U16(header);
  record->size = U16(header + 2);
  record->offset = *position;
  record->data = header + 4;
  if (*position + 4 + record->size > stream_.size()) {
    Fail(
        "damaged workbook: the workbook stream is truncated inside a record "
        "at offset " +
        std::to_string(*position));
  }
  *position += 4 + record->size;
  return true;
}

BiffRecordReader XlsParser::ReaderWithContinues(const RecordView& record,
                                                std::size_t next) const {
  std::vector<std::string_view> segments;
  segments.emplace_back(reinterpret_cast<const char*>(record.data),
                        record.size);
  RecordView follower;
  std::size_t position = next;
  while (NextRecord(&position, &follower) && follower.type == kContinue) {
    segments.emplace_back(reinterpret_cast<const char*>(follower.data),
                          follower.size);
  }
  return BiffRecordReader(std::move(segments));
}

std::string XlsParser::DescribeRecord(const RecordView& record) const {
  char text[64];
  std::snprintf(text, sizeof text, "record 0x%04X at offset %zu", record.type,
                record.offset);
  return text;
}

const CodePageDecoder& XlsParser::Decoder() {
  if (!decoder_ || decoder_code_page_ != code_page_) {
    decoder_.emplace(code_page_);
    decoder_code_page_ = code_page_;
  }
  return *decoder_;
}

std::unique_ptr<Workbook> XlsParser::Parse() {
  workbook_ = std::make_unique<Workbook>(path_, "xls");
  ReadGlobals();
  ClassifyXfs();
  int active = 0;
  std::vector<int> sheet_of_bound(bound_sheets_.size(), -1);
  for (std::size_t i = 0; i < bound_sheets_.size(); ++i) {
    const BoundSheet& bound = bound_sheets_[i];
    if (!bound.worksheet) continue;
    sheet_of_bound[i] = workbook_->sheet_count();
    std::string name;
    if (bound.name_is_utf8) {
      name = bound.raw_name;
    } else {
      Decoder().Append(bound.raw_name, &name);
    }
    Sheet& sheet = workbook_->AddSheet(name, bound.hidden);
    if (static_cast<int>(i) == active_tab_) {
      active = workbook_->sheet_count() - 1;
    }
    ReadSheet(bound, &sheet);
    sheet.Finish();
  }
  if (workbook_->sheet_count() == 0) {
    Fail("the workbook holds no worksheets");
  }
  names_.AddTo(*workbook_, sheet_of_bound, [this](std::string_view raw) {
    std::string name;
    Decoder().Append(raw, &name);
    return name;
  });
  workbook_->set_active_sheet(active);
  return std::move(workbook_);
}

std::uint16_t XlsParser::ReadBof(std::size_t position,
                                 const char* where) const {
  RecordView record;
  if (!NextRecord(&position, &record)) {
    Fail(std::string("damaged workbook: ") + where +
         " starts beyond the end of the workbook stream");
  }
  if (record.type != kBof || record.size < 4) {
    Fail(std::string("damaged workbook: ") + where +
         " does not start with a BOF record");
  }
  return U16(record.data);
}

void XlsParser::CheckVersion() const {
  if (stream_.empty()) Fail("damaged workbook: the workbook stream is empty");
  const std::uint16_t first = stream_.size() >= 2 ? U16(Bytes(0)) : 0;
  // The BOF record numbers of BIFF2, BIFF3 and BIFF4.
  if (first == 0x0009 || first == 0x0209 || first == 0x0409) {
    Fail(
        "Excel 2.x-4.x workbooks are not supported; save it as .xls or "
        ".xlsx first");
  }
  const std::uint16_t version = ReadBof(0, "the workbook");
  if (version != kBiff8 && version != kBiff5) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", version);
    Fail(std::string("unsupported Excel file version (BIFF version 0x") + hex +
         ")");
  }
}

void XlsParser::ReadGlobals() {
  CheckVersion();
  std::size_t position = 0;
  RecordView record;
  NextRecord(&position, &record);
  version_ = U16(record.data);
  bool ended = false;
  while (!ended && NextRecord(&position, &record)) {
    try {
      if (record.type == kEof) {
        ended = true;
      } else {
        HandleGlobalRecord(record, position);
      }
    } catch (const BiffRecordReader::TooShort&) {
      Fail("damaged workbook: " + DescribeRecord(record) + " is too short");
    }
  }
  if (!ended) {
    Fail(
        "damaged workbook: the workbook stream ends before its sheet list "
        "is complete");
  }
}

void XlsParser::HandleGlobalRecord(const RecordView& record, std::size_t next) {
  const unsigned char* d = record.data;
  switch (record.type) {
    case kFilePass:
      Fail("the workbook is password-protected (encrypted)");
    case kCodePage:
      if (record.size < 2) throw BiffRecordReader::TooShort();
      code_page_ = U16(d);
      break;
    case kDateMode:
      if (record.size < 2) throw BiffRecordReader::TooShort();
      date1904_ = U16(d) == 1;
      break;
    case kWindow1:
      if (record.size < 12) throw BiffRecordReader::TooShort();
      if (!window_seen_) active_tab_ = U16(d + 10);
      window_seen_ = true;
      break;
    case kBoundSheet:
      ReadBoundSheet(record, next);
      break;
    case kFormat:
      ReadFormat(record, next);
      break;
    case kXf:
      if (record.size < 4) throw BiffRecordReader::TooShort();
      xf_format_ids_.push_back(U16(d + 2));
      break;
    case kSst:
      ReadSst(record, next);
      break;
    default:
      if (XlsNames::Reads(record.type)) {
        BiffRecordReader reader = ReaderWithContinues(record, next);
        names_.Read(record.type, reader, version_ == kBiff8, *workbook_);
      }
      break;
  }
}

// BIFF8 unicode string: a character count (8 or 16 bits), an option byte,
// then the characters. Rich-text runs and phonetic data are skipped.
std::string XlsParser::ReadUnicodeString(BiffRecordReader* reader,
                                         bool long_count) {
  const std::size_t count = long_count ? reader->U16() : reader->U8();
  const std::uint8_t options = reader->U8();
  const std::uint16_t runs = (options & 0x08) ? reader->U16() : 0;
  const std::uint32_t phonetic = (options & 0x04) ? reader->U32() : 0;
  reader->ReadCharacters(count, (options & 0x01) != 0, &units_);
  reader->Skip(4ull * runs);
  reader->Skip(phonetic);
  std::string text;
  AppendUtf16AsUtf8(units_, &text);
  return text;
}

// A text of a cell or format: unicode in BIFF8, 8-bit code page text before.
std::string XlsParser::ReadText(BiffRecordReader* reader, bool long_count) {
  if (version_ == kBiff8) return ReadUnicodeString(reader, long_count);
  const std::size_t count = long_count ? reader->U16() : reader->U8();
  const std::string_view bytes = reader->ReadBytes(count, &scratch_);
  std::string text;
  Decoder().Append(bytes, &text);
  return text;
}

void XlsParser::ReadBoundSheet(const RecordView& record, std::size_t next) {
  BiffRecordReader reader = ReaderWithContinues(record, next);
  BoundSheet bound;
  bound.position = reader.U32();
  bound.hidden = (reader.U8() & 0x03) != 0;
  bound.worksheet = reader.U8() == 0;
  if (version_ == kBiff8) {
    bound.raw_name = ReadUnicodeString(&reader, false);
    bound.name_is_utf8 = true;
  } else {
    const std::size_t count = reader.U8();
    bound.raw_name = std::string(reader.ReadBytes(count, &scratch_));
  }
  bound_sheets_.push_back(std::move(bound));
}

void XlsParser::ReadFormat(const RecordView& record, std::size_t next) {
  BiffRecordReader reader = ReaderWithContinues(record, next);
  const std::uint16_t id = reader.U16();
  formats_[id] = ReadText(&reader, version_ == kBiff8);
}

void XlsParser::ReadSst(const RecordView& record, std::size_t next) {
  BiffRecordReader reader = ReaderWithContinues(record, next);
  reader.U32();  // total number of references
  const std::uint32_t unique = reader.U32();
  StringPool& pool = workbook_->strings();
  // Never trust the count for the allocation: each string takes at least
  // three bytes of the stream.
  sst_.reserve(std::min<std::size_t>(unique, stream_.size() / 3));
  std::string text;
  for (std::uint32_t i = 0; i < unique; ++i) {
    if (reader.AtEnd()) break;  // some writers overstate the count
    const std::size_t count = reader.U16();
    const std::uint8_t options = reader.U8();
    const std::uint16_t runs = (options & 0x08) ? reader.U16() : 0;
    const std::uint32_t phonetic = (options & 0x04) ? reader.U32() : 0;
    reader.ReadCharacters(count, (options & 0x01) != 0, &units_);
    reader.Skip(4ull * runs);
    reader.Skip(phonetic);
    text.clear();
    AppendUtf16AsUtf8(units_, &text);
    sst_.push_back(pool.Add(text));
  }
}

void XlsParser::ClassifyXfs() {
  std::unordered_map<std::uint16_t, ValueFormat> custom;
  for (const auto& [id, code] : formats_) {
    custom[id] = ValueFormatOfCode(code);
  }
  xf_formats_.reserve(xf_format_ids_.size());
  for (std::uint16_t id : xf_format_ids_) {
    auto it = custom.find(id);
    xf_formats_.push_back(it != custom.end() ? it->second
                                             : ValueFormatOfBuiltin(id));
  }
}

std::int32_t XlsParser::Column(const unsigned char* p) const {
  const std::int32_t column = U16(p) + 1;
  if (column > kMaxColumns) {
    Fail("damaged workbook: a cell lies in column " + std::to_string(column) +
         ", beyond the last column of a worksheet");
  }
  return column;
}

void XlsParser::SetNumber(Sheet* sheet, std::int32_t row, std::int32_t column,
                          std::uint16_t xf, double value) const {
  const ValueFormat format =
      xf < xf_formats_.size() ? xf_formats_[xf] : ValueFormat::kNumber;
  SetFormattedNumber(*sheet, row, column, value, format, date1904_);
}

void XlsParser::ReadSheet(const BoundSheet& bound, Sheet* sheet) {
  const std::string where = "the sheet \"" + sheet->name() + "\"";
  ReadBof(bound.position, where.c_str());
  std::size_t position = bound.position;
  RecordView record;
  NextRecord(&position, &record);
  int depth = 1;
  pending_string_.reset();
  default_row_twips_ = 0;
  standard_width_seen_ = false;
  // Excel's width for a sheet that states none: 8 digits and the padding.
  sheet->layout().SetDefaultColumnWidth(*ExcelBaseWidthToPoints(8));
  while (NextRecord(&position, &record)) {
    sheet_bytes_read_ += 4 + record.size;
    if (sheet_bytes_read_ > stream_.size()) {
      Fail("damaged workbook: its sheets overlap in the workbook stream");
    }
    if (record.type == kBof) {
      ++depth;  // an embedded chart's substream
      continue;
    }
    if (record.type == kEof) {
      if (--depth == 0) return;
      continue;
    }
    if (depth > 1) continue;
    try {
      if (HandleLayout(record, sheet->layout())) continue;
      HandleCell(record, position, sheet);
    } catch (const BiffRecordReader::TooShort&) {
      Fail("damaged workbook: " + DescribeRecord(record) + " in " + where +
           " is too short");
    }
  }
  Fail("damaged workbook: " + where + " ends without its end record");
}

bool XlsParser::HandleLayout(const RecordView& record, SheetLayout& layout) {
  const unsigned char* d = record.data;
  switch (record.type) {
    case kDefColWidth:
      if (record.size < 2) throw BiffRecordReader::TooShort();
      if (!standard_width_seen_) {
        if (auto width = ExcelBaseWidthToPoints(U16(d))) {
          layout.SetDefaultColumnWidth(*width);
        }
      }
      return true;
    case kStandardWidth:
      if (record.size < 2) throw BiffRecordReader::TooShort();
      if (auto width = ExcelColumnWidthToPoints(U16(d) / 256.0)) {
        layout.SetDefaultColumnWidth(*width);
        standard_width_seen_ = true;
      }
      return true;
    case kDefaultRowHeight:
      if (record.size < 4) throw BiffRecordReader::TooShort();
      default_row_twips_ = U16(d + 2) & 0x7FFF;
      layout.SetDefaultRowHeight(default_row_twips_ / 20.0f);
      return true;
    case kColInfo:
      ReadColumnInfo(record, layout);
      return true;
    case kRow:
      ReadRowInfo(record, layout);
      return true;
    case kMergedCells:
      ReadMergedCells(record, layout);
      return true;
    default:
      return false;
  }
}

void XlsParser::ReadColumnInfo(const RecordView& record,
                               SheetLayout& layout) const {
  // First and last column, width in 1/256 of a digit, XF, options.
  if (record.size < 10) throw BiffRecordReader::TooShort();
  const unsigned char* d = record.data;
  const std::int32_t first = U16(d) + 1;
  const std::int32_t last = std::min<std::int32_t>(U16(d + 2) + 1, kMaxColumns);
  if (first > last) return;
  SheetLayout::Span span;
  span.first = first;
  span.last = last;
  span.size = ExcelColumnWidthToPoints(U16(d + 4) / 256.0);
  span.hidden = (U16(d + 8) & 0x0001) != 0;
  layout.AddColumns(span);
}

void XlsParser::ReadRowInfo(const RecordView& record,
                            SheetLayout& layout) const {
  // Row, first and last column, height in twips (bit 15 is a flag), two
  // reserved words, options (0x20 hidden).
  if (record.size < 14) throw BiffRecordReader::TooShort();
  const unsigned char* d = record.data;
  const std::int32_t row = U16(d) + 1;
  const std::uint16_t twips = U16(d + 6) & 0x7FFF;
  const bool hidden = (U16(d + 12) & 0x0020) != 0;
  // Excel writes a ROW record for every row that holds cells: only those
  // that differ from the default are kept.
  std::optional<float> height;
  if (twips != default_row_twips_) height = twips / 20.0f;
  if (height || hidden)
    layout.AddRows(SheetLayout::Span{row, row, height, hidden});
}

void XlsParser::ReadMergedCells(const RecordView& record,
                                SheetLayout& layout) const {
  // A count, then per area its first and last row and column.
  if (record.size < 2) throw BiffRecordReader::TooShort();
  const unsigned char* d = record.data;
  const std::size_t count =
      std::min<std::size_t>(U16(d), (record.size - 2) / 8);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* area = d + 2 + 8 * i;
    const std::int32_t top = U16(area) + 1, bottom = U16(area + 2) + 1;
    const std::int32_t left = U16(area + 4) + 1, right = U16(area + 6) + 1;
    if (top > bottom || left > right || right > kMaxColumns) continue;
    layout.AddMergedArea(
        BlockGeometry{top, bottom - top + 1, left, right - left + 1});
  }
}

void XlsParser::HandleCell(const RecordView& record, std::size_t next,
                           Sheet* sheet) {
  const unsigned char* d = record.data;
  switch (record.type) {
    case kString: {
      if (!pending_string_) return;
      BiffRecordReader reader = ReaderWithContinues(record, next);
      sheet->SetText(pending_string_->row, pending_string_->column,
                     ReadText(&reader, true));
      pending_string_.reset();
      return;
    }
    case kMulRk:
      ReadMulRk(record, sheet);
      return;
    case kNumber:
    case kRk:
    case kLabelSst:
    case kLabel:
    case kRString:
    case kBoolErr:
    case kFormula:
    case kFormula3:
    case kFormula4:
      break;
    default:
      return;
  }
  if (record.size < 6) throw BiffRecordReader::TooShort();
  pending_string_.reset();
  const std::int32_t row = U16(d) + 1;
  const std::int32_t column = Column(d + 2);
  const std::uint16_t xf = U16(d + 4);
  switch (record.type) {
    case kNumber:
      if (record.size < 14) throw BiffRecordReader::TooShort();
      SetNumber(sheet, row, column, xf, F64(d + 6));
      break;
    case kRk:
      if (record.size < 10) throw BiffRecordReader::TooShort();
      SetNumber(sheet, row, column, xf, DecodeRk(U32(d + 6)));
      break;
    case kLabelSst: {
      if (record.size < 10) throw BiffRecordReader::TooShort();
      const std::uint32_t index = U32(d + 6);
      if (index >= sst_.size()) {
        Fail("damaged workbook: a cell refers to shared string " +
             std::to_string(index) + " of " + std::to_string(sst_.size()));
      }
      sheet->SetPooledText(row, column, sst_[index]);
      break;
    }
    case kLabel:
    case kRString: {
      BiffRecordReader reader = ReaderWithContinues(record, next);
      reader.Skip(6);
      sheet->SetText(row, column, ReadText(&reader, true));
      break;
    }
    case kBoolErr:
      if (record.size < 8) throw BiffRecordReader::TooShort();
      if (d[7] == 0) {
        sheet->SetBoolean(row, column, d[6] != 0);
      } else {
        sheet->SetError(row, column, ErrorText(d[6]));
      }
      break;
    case kFormula:
    case kFormula3:
    case kFormula4:
      ReadFormula(record, sheet, row, column, xf);
      break;
    default:
      break;
  }
}

void XlsParser::ReadFormula(const RecordView& record, Sheet* sheet,
                            std::int32_t row, std::int32_t column,
                            std::uint16_t xf) {
  if (record.size < 14) throw BiffRecordReader::TooShort();
  const unsigned char* result = record.data + 6;
  if (result[6] != 0xFF || result[7] != 0xFF) {
    SetNumber(sheet, row, column, xf, F64(result));
    return;
  }
  switch (result[0]) {
    case 0:  // a text; it follows in a STRING record
      pending_string_ = PendingString{row, column};
      break;
    case 1:
      sheet->SetBoolean(row, column, result[2] != 0);
      break;
    case 2:
      sheet->SetError(row, column, ErrorText(result[2]));
      break;
    case 3:
      sheet->SetText(row, column, "");
      break;
    default:
      break;
  }
}

void XlsParser::ReadMulRk(const RecordView& record, Sheet* sheet) {
  // Row, first column, then per cell an XF index and an RK number, and the
  // last column.
  if (record.size < 6) throw BiffRecordReader::TooShort();
  pending_string_.reset();
  const unsigned char* d = record.data;
  const std::int32_t row = U16(d) + 1;
  const std::int32_t first = Column(d + 2);
  const std::size_t count = (record.size - 6) / 6;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* cell = d + 4 + 6 * i;
    const std::int32_t column = first + static_cast<std::int32_t>(i);
    if (column > kMaxColumns) {
      Fail("damaged workbook: a cell lies beyond the last column");
    }
    SetNumber(sheet, row, column, U16(cell), DecodeRk(U32(cell + 2)));
  }
}

// The BIFF stream of a container: "Workbook" (BIFF8), or "Book" (BIFF5).
std::string WorkbookStream(const CompoundFile& container) {
  const std::string& path = container.path();
  if (container.HasStream("EncryptionInfo") ||
      container.HasStream("EncryptedPackage")) {
    throw WorkbookError(path, "the workbook is password-protected (encrypted)");
  }
  if (container.HasStream("Workbook")) return container.ReadStream("Workbook");
  if (container.HasStream("Book")) return container.ReadStream("Book");
  throw WorkbookError(path,
                      "not an Excel workbook: the compound file holds no "
                      "Workbook stream (perhaps another Office document)");
}

std::unique_ptr<Workbook> ParseStream(const std::string& path,
                                      std::string stream) {
  XlsParser parser(path, std::move(stream));
  try {
    return parser.Parse();
  } catch (const std::out_of_range& error) {
    throw WorkbookError(path, std::string("damaged workbook: ") + error.what());
  } catch (const std::length_error& error) {
    throw WorkbookError(path, std::string("damaged workbook: ") + error.what());
  }
}

}  // namespace

std::unique_ptr<Workbook> ReadXls(const std::string& path) {
  return ReadXlsBytes(path, InputFile(path, false).ReadAll());
}

// The container's bytes are let go before the stream is parsed, so that the
// file is not held twice while the cells are built.
std::unique_ptr<Workbook> ReadXlsBytes(const std::string& path,
                                       std::string bytes) {
  std::string stream = WorkbookStream(CompoundFile(path, std::move(bytes)));
  return ParseStream(path, std::move(stream));
}

}  // namespace kestrilo
