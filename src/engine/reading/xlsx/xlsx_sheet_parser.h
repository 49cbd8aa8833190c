// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/sheet.h"
#include "engine/reading/xlsx/xlsx_row_target.h"
#include "engine/reading/xlsx/xlsx_styles.h"
#include "engine/reading/xlsx/xlsx_values.h"
#include "engine/reading/xml/xml_tokenizer.h"

namespace kestrilo {

/// What the cells of every sheet of one xlsx workbook are read with: the
/// value format and style of each cell format, the date system and where
/// the shared strings lie in the workbook's pool.
struct XlsxCellContext {
  /// Each cell format, by its cellXfs index.
  std::vector<CellFormat> cell_formats;
  bool date1904 = false;
  std::uint32_t shared_base = 0;
  std::uint32_t shared_count = 0;
};

/// Parses one worksheet part: into the model (cells and layout), or
/// row by row into an XlsxRowTarget.
class XlsxSheetParser {
 public:
  /// The position and content of the cell being read.
  struct CellState;

  /// `path` and `part` name the file and the part in messages.
  XlsxSheetParser(const std::string& path, std::string part,
                  const XlsxCellContext& context);
  ~XlsxSheetParser();
  XlsxSheetParser(const XlsxSheetParser&) = delete;
  XlsxSheetParser& operator=(const XlsxSheetParser&) = delete;

  /// Parses the whole part into `sheet`: its cells and its layout.
  void ParseWorksheet(XmlTokenizer& xml, Sheet& sheet);

  /// Reads up to the start of <sheetData>; false when there is none (or
  /// it is empty).
  bool ReachSheetData(XmlTokenizer& xml);
  /// Parses on from where `xml` is in <sheetData> until `target` holds a
  /// new complete row; false once the rows have ended (the last row is
  /// then flushed into `target`).
  bool ParseNextRow(XmlTokenizer& xml, XlsxRowTarget& target);

  /// Formula cells read without a cached value so far.
  std::int64_t formulas_without_value() const {
    return formulas_without_value_;
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const;
  // Out of line, so that storing a cell sets nothing up for its failure.
  [[noreturn]] void FailCell(std::int32_t row, std::int32_t column,
                             const std::string& why) const;
  /// Parses <sheetData> from where `xml` is; true once its end is read,
  /// false when the target pauses.
  template <typename Target>
  bool ParseSheetData(XmlTokenizer& xml, Target& target);
  void StartRow(const XmlTokenizer& xml, SheetLayout* layout);
  void StartCell(const XmlTokenizer& xml);
  void ReadSheetFormat(const XmlTokenizer& xml, SheetLayout& layout);
  void ReadColumns(const XmlTokenizer& xml, SheetLayout& layout);
  void ReadMergedArea(const XmlTokenizer& xml, SheetLayout& layout);
  // Stores the cell whose <v> holds `value`: a view of the part itself
  // for a cell read whole, spared a copy.
  template <typename Target>
  void StoreCell(std::string_view value, Target& target);

  const std::string& path_;
  std::string part_;
  const XlsxCellContext& context_;
  std::unique_ptr<CellState> cell_;
  std::optional<float> default_row_height_ = kExcelDefaultRowHeight;
  std::int64_t formulas_without_value_ = 0;
  bool rows_ended_ = false;
};

}  // namespace kestrilo
