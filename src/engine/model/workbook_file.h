// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/model/row_sink.h"
#include "engine/model/sheet_choice.h"
#include "engine/model/workbook.h"

namespace kestrilo {

/// What WorkbookFile::ReadRows read.
struct SheetRead {
  /// The index of the sheet among the workbook's sheets, and its name.
  int index = 0;
  std::string name;
  /// Formula cells of that sheet without a cached value, which read as
  /// empty; the count stops at the largest int.
  int formulas_without_value = 0;
};

/// A workbook file of any format we read (xlsx, xlsm, xltx, xltm, ods, xls,
/// csv, tsv, txt), opened to be read once: its structure first (sheets,
/// active sheet, names), then the cells of one sheet as rows for a
/// conversion, or every cell into the model for the workbook window. Every
/// failure throws WorkbookError naming the file and the reason: missing or
/// unreadable files, corrupt or truncated containers, encrypted workbooks,
/// formats we do not read, a sheet the workbook lacks. OpenWorkbookFile
/// opens one.
class WorkbookFile {
 public:
  virtual ~WorkbookFile() = default;
  WorkbookFile(const WorkbookFile&) = delete;
  WorkbookFile& operator=(const WorkbookFile&) = delete;

  /// The workbook's sheets (names and visibility, no cells), the active
  /// sheet and the defined names and tables. Costs little for xlsx, xls and
  /// csv; an ods file lists its sheets and names among its cells, so the
  /// first call reads its content once, keeping no cells.
  virtual const Workbook& Structure() = 0;

  /// Reads the cells of the sheet `choice` picks into `sink`, row by row as
  /// they are parsed, keeping none. A sheet the workbook lacks fails before
  /// any cell is read where the format lists its sheets apart from their
  /// cells (all but ods, whose content is passed through then). May be
  /// called once per WorkbookFile.
  virtual SheetRead ReadRows(const SheetChoice& choice, RowSink& sink) = 0;

  /// Reads the workbook into the model: every sheet's cells and layout, or
  /// only the cells of the sheet `only` picks (the other sheets stay
  /// empty), with the names. May be called once per WorkbookFile, instead
  /// of ReadRows.
  virtual std::unique_ptr<Workbook> ReadCells(
      const std::optional<SheetChoice>& only = std::nullopt) = 0;

 protected:
  WorkbookFile() = default;
};

}  // namespace kestrilo
