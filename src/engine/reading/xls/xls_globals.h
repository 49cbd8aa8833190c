// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/display/value_format.h"
#include "engine/model/workbook.h"
#include "engine/reading/xls/biff_record_cursor.h"
#include "engine/reading/xls/xls_names.h"
#include "engine/reading/xls/xls_styles.h"
#include "engine/reading/xls/xls_text_reader.h"

namespace kestrilo {

/// The globals of a BIFF5 or BIFF8 workbook stream, the records before the
/// first sheet: the sheet list, the active sheet, the code page and date
/// system, the shared strings, the cell styles (number formats, fonts,
/// palette, alignment and fill) and the defined names. No sheet's records
/// are read.
class XlsGlobals {
 public:
  /// Reads the globals from the start of `records`' stream. Adds to
  /// `workbook` its worksheets (names and visibility, no cells), its active
  /// sheet and names, the shared strings to its pool and the cell styles to
  /// its StyleTable. Throws
  /// WorkbookError for damaged or encrypted streams and older BIFF.
  XlsGlobals(BiffRecordCursor& records, Workbook& workbook);

  /// Reads texts in the workbook's version and code page.
  XlsTextReader& texts() { return texts_; }
  bool date1904() const { return date1904_; }
  /// What cell format `xf` means for its cells; the default format for an
  /// index the globals lack.
  const CellFormat& FormatOfXf(std::uint16_t xf) const {
    static constexpr CellFormat kDefault;
    return xf < xf_formats_.size() ? xf_formats_[xf] : kDefault;
  }
  /// Where the substream of the workbook's sheet `sheet` starts.
  std::uint64_t SheetPosition(int sheet) const {
    return sheet_positions_.at(sheet);
  }
  /// The number of shared strings, and the pool index of one of them.
  std::size_t shared_string_count() const { return shared_strings_.size(); }
  std::uint32_t SharedString(std::uint32_t index) const {
    return shared_strings_[index];
  }

 private:
  struct BoundSheet {
    std::uint32_t position = 0;
    bool hidden = false;
    bool worksheet = true;
    std::string name;  // UTF-8 in BIFF8; code page bytes before
  };

  [[noreturn]] void Fail(const std::string& reason) const;
  void CheckVersion();
  void ReadRecords();
  void HandleRecord(const BiffRecord& record, std::uint64_t next);
  void ReadBoundSheet(const BiffRecord& record, std::uint64_t next);
  void ReadFormat(const BiffRecord& record, std::uint64_t next);
  void ReadSst(const BiffRecord& record, std::uint64_t next);
  void ResolveXfs();
  void AddSheets();

  BiffRecordCursor& records_;
  Workbook& workbook_;
  XlsTextReader texts_{true};
  bool date1904_ = false;
  int active_tab_ = 0;
  bool window_seen_ = false;
  std::vector<BoundSheet> bound_sheets_;
  std::vector<std::uint64_t> sheet_positions_;
  XlsStyles styles_;
  std::vector<CellFormat> xf_formats_;
  std::unordered_map<std::uint16_t, std::string> formats_;
  std::vector<std::uint32_t> shared_strings_;  // pool index of each
  XlsNames names_;
  std::string text_;
};

}  // namespace kestrilo
