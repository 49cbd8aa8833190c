// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/model/workbook.h"
#include "engine/reading/xls/biff_record_cursor.h"
#include "engine/reading/xls/xls_cell_target.h"
#include "engine/reading/xls/xls_globals.h"

namespace kestrilo {

/// Parses the substream of one worksheet of a BIFF5 or BIFF8 workbook
/// stream into an XlsCellTarget, record by record: the one path by which
/// cell records are read, into the model or row by row.
class XlsSheetReader {
 public:
  /// `structure` is the workbook whose sheets `globals` listed.
  XlsSheetReader(BiffRecordCursor& records, XlsGlobals& globals,
                 const Workbook& structure);

  /// Reads the cells of the workbook's sheet `sheet` into `target`, and
  /// its layout when the target wants it. Returns how many formula cells
  /// have no cached value (they read as empty). Throws WorkbookError for
  /// damaged records, naming the sheet.
  int Read(int sheet, XlsCellTarget& target);

 private:
  // A formula whose text result follows in the next STRING record.
  struct PendingString {
    std::int32_t row = 0;
    std::int32_t column = 0;
    std::uint32_t style = 0;
  };

  [[noreturn]] void Fail(const std::string& reason) const;
  void CountRecord(const BiffRecord& record);
  void HandleCell(const BiffRecord& record, std::uint64_t next);
  void ReadFormula(const BiffRecord& record, std::int32_t row,
                   std::int32_t column, const CellFormat& format);
  void ReadMulRk(const BiffRecord& record);
  void SetNumber(std::int32_t row, std::int32_t column,
                 const CellFormat& format, double value);
  void DropPendingString();
  std::int32_t Column(const char* at) const;
  /// Reads a record of column widths, row heights or merged areas; false
  /// for any other record.
  bool HandleLayout(const BiffRecord& record, SheetLayout& layout);
  void ReadColumnInfo(const BiffRecord& record, SheetLayout& layout) const;
  void ReadRowInfo(const BiffRecord& record, SheetLayout& layout) const;
  void ReadMergedCells(const BiffRecord& record, SheetLayout& layout) const;

  BiffRecordCursor& records_;
  XlsGlobals& globals_;
  const Workbook& structure_;
  // Bytes of sheet records read so far: each record belongs to one sheet,
  // so more than the stream holds means sheets overlap (a reading bomb).
  std::uint64_t sheet_bytes_read_ = 0;

  // Of the sheet being read.
  XlsCellTarget* target_ = nullptr;
  std::string where_;  // "the sheet \"Data\"", for messages
  std::optional<PendingString> pending_string_;
  int formulas_without_value_ = 0;
  // Its default row height in twips, and whether STANDARDWIDTH, which wins
  // over DEFCOLWIDTH, was seen.
  std::uint16_t default_row_twips_ = 0;
  bool standard_width_seen_ = false;
  std::string text_;
};

}  // namespace kestrilo
