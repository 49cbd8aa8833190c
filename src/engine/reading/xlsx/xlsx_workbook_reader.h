// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/workbook.h"
#include "engine/reading/xlsx/xlsx_sheet_parser.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

class BackgroundInflater;
class XmlTokenizer;

/// Reads an Office Open XML workbook (xlsx, xlsm, xltx, xltm; transitional
/// or strict): its structure from the workbook part and its relationships,
/// then its shared strings, styles and sheets. Cached formula results are
/// read as they are, never recalculated. Throws WorkbookError naming the
/// file for missing or malformed parts.
class XlsxWorkbookReader {
 public:
  /// Reads the structure of the opened package `zip`, whose main part is
  /// `workbook_part` ("xl/workbook.xml").
  XlsxWorkbookReader(std::unique_ptr<ZipArchive> zip,
                     std::string workbook_part);
  ~XlsxWorkbookReader();
  XlsxWorkbookReader(const XlsxWorkbookReader&) = delete;
  XlsxWorkbookReader& operator=(const XlsxWorkbookReader&) = delete;

  /// The sheets (no cells), the active sheet and the names and tables.
  const Workbook& structure() const { return *structure_; }

  /// The model: every sheet's cells and layout, or only those of sheet
  /// `only`, the other sheets left empty.
  std::unique_ptr<Workbook> ReadCells(std::optional<int> only);

  const std::string& path() const { return path_; }
  /// The part of sheet `index`; empty for a chart sheet.
  const std::string& SheetPart(int index) const;
  /// Starts inflating sheet `index`'s part through `sheet_zip` (a handle of
  /// its own) and, meanwhile, reads the shared strings and styles into the
  /// structure's pool. Null for a chart sheet.
  std::unique_ptr<BackgroundInflater> StartSheet(int index,
                                                 const ZipArchive& sheet_zip);
  /// What the cells are read with, once StartSheet has returned.
  const XlsxCellContext& cell_context() const { return context_; }

 private:
  struct SheetEntry {
    std::string name;
    std::string relationship_id;
    bool hidden = false;
  };

  [[noreturn]] void Fail(const std::string& reason) const;
  void ReadStructure();
  std::vector<SheetEntry> ReadWorkbookPart();
  /// The part of a sheet's relationship target; throws when it is absent.
  std::string FindSheetPart(const std::string& target,
                            const std::string& sheet_name) const;
  /// Reads a small part whole, charged to `workbook`'s budget.
  std::string ReadPart(const std::string& part, Workbook& workbook);
  void ReadSharedParts(Workbook& workbook);
  void ReadSharedStrings(const std::string& part, Workbook& workbook);
  void ReadStyles(const std::string& part, Workbook& workbook);
  std::int64_t ReadWorksheet(const std::string& part,
                             BackgroundInflater& inflater, Sheet& sheet);
  /// A new workbook with the structure's sheets (no cells) and names.
  std::unique_ptr<Workbook> EmptyWorkbook() const;

  std::string path_;
  std::unique_ptr<ZipArchive> archive_;
  const ZipArchive& zip_;
  std::string workbook_part_;
  std::unique_ptr<Workbook> structure_;
  XlsxCellContext context_;
  int active_tab_ = 0;
  std::vector<SheetEntry> entries_;
  // The part of each sheet; empty for chart sheets.
  std::vector<std::string> parts_;
  std::string shared_strings_part_;
  std::string styles_part_;
  std::string theme_part_;
};

}  // namespace kestrilo
