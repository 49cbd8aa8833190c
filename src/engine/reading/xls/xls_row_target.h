// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/reader_budget.h"
#include "engine/model/row_sink.h"
#include "engine/model/string_pool.h"
#include "engine/reading/xls/xls_cell_target.h"

namespace kestrilo {

/// Gathers the cells of a sheet's records into rows for a RowSink: a row
/// is sent when a cell of another row comes (so a row listed again, or out
/// of order, is sent again where it comes), its cells sorted by column and
/// each column once, the later value winning. Holds one row at a time, of
/// at most twice as many cells as a sheet has columns.
class XlsRowTarget : public XlsCellTarget {
 public:
  /// Shared strings come from `strings`; each cell and text is charged to
  /// `budget`, as the model charges them.
  XlsRowTarget(RowSink& sink, const StringPool& strings, ReaderBudget& budget);

  void Value(std::int32_t row, std::int32_t column, const CellValue& value,
             std::uint32_t style) override;
  void Text(std::int32_t row, std::int32_t column, std::string_view text,
            std::uint32_t style) override;
  void PooledText(std::int32_t row, std::int32_t column, std::uint32_t index,
                  std::uint32_t style) override;
  SheetLayout* layout() override { return sink_.layout(); }

  /// Sends the last row. Call once, after the sheet's last record.
  void Finish();

 private:
  // A text of the row, kept in texts_ until the row is sent.
  struct OwnText {
    std::size_t cell = 0;
    std::size_t offset = 0;
    std::size_t size = 0;
  };

  void Add(std::int32_t row, std::int32_t column, const CellValue& value,
           std::uint32_t style);
  /// Points the cells of the row's own texts at them.
  void PointAtTexts();
  /// Sorts the row's cells by column, keeping the later of two for one.
  void SortColumns();
  /// Keeps each column of the row once, and only the texts of those.
  void Compact();
  void SendRow();

  RowSink& sink_;
  const StringPool& strings_;
  ReaderBudget& budget_;
  std::int32_t row_ = 0;
  std::vector<RowCell> cells_;
  bool sorted_ = true;
  std::string texts_;
  std::vector<OwnText> own_texts_;
};

}  // namespace kestrilo
