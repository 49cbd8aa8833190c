// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

#include "engine/input/reader_budget.h"
#include "engine/model/row_sink.h"
#include "engine/reading/ods/ods_table_target.h"

namespace kestrilo {

/// Sends the cells of a table row by row to a RowSink, keeping the texts
/// of one row only. Each cell sent is charged to `budget`, as if it were
/// stored: repeat counts let a few bytes claim billions of cells, and
/// what is sent is written.
class OdsRowTarget : public OdsTableTarget {
 public:
  OdsRowTarget(RowSink& sink, ReaderBudget& budget)
      : sink_(sink), budget_(budget) {}

  std::uint32_t KeepText(std::string_view text) override;
  void AddRows(std::int32_t first, std::int32_t last,
               std::span<const OdsCell> cells) override;
  SheetLayout* layout() override { return sink_.layout(); }

 private:
  struct Span {
    std::size_t offset;
    std::size_t length;
  };

  RowSink& sink_;
  ReaderBudget& budget_;
  /// The texts of the row being read, one after the other.
  std::string texts_;
  std::vector<Span> spans_;
  std::vector<RowCell> row_;
};

}  // namespace kestrilo
