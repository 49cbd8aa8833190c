// SPDX-License-Identifier: MIT
// The Excel binary reader (compound file and BIFF records) on any bytes: it
// either reads a workbook whose every cell can be read, or throws
// WorkbookError. Where the whole workbook reads, each sheet read row by row
// reads too, with rows sorted by column, each column once, and, the rows
// listed again merged as the model merges them, the model's cells.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <string>
#include <utility>

#include "engine/input/workbook_error.h"
#include "engine/model/row_sink.h"
#include "engine/reading/xls/xls_file.h"
#include "engine/writing/cell_text.h"

namespace {

using namespace kestrilo;

// Sheets read row by row: enough to reach past the active one.
constexpr int kMaxSheets = 4;

using Cells = std::map<std::pair<std::int32_t, std::int32_t>, std::string>;

std::string Shown(const CellValue& value) {
  std::string text = std::to_string(static_cast<int>(value.kind)) +
                     (value.time_only ? "t" : "") + ":";
  AppendCellText(value, text);
  return text;
}

// The cells of the rows sent, the later value of a cell winning.
class MergingSink : public RowSink {
 public:
  void AddRow(std::int32_t row, std::span<const RowCell> cells) override {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0 && cells[i].column <= cells[i - 1].column) std::abort();
      if (cells[i].value.is_empty()) std::abort();
      cells_[{row, cells[i].column}] = Shown(cells[i].value);
    }
  }
  SheetLayout* layout() override { return &layout_; }
  const Cells& cells() const { return cells_; }

 private:
  Cells cells_;
  SheetLayout layout_;
};

void CompareRowsWithModel(const std::string& bytes, const Workbook& model) {
  for (int i = 0; i < model.sheet_count() && i < kMaxSheets; ++i) {
    MergingSink rows;
    OpenXlsBytes("fuzz.xls", bytes)->ReadRows(SheetChoice::AtIndex(i), rows);
    MergingSink cells;
    model.sheet(i).SendRows(cells);
    if (rows.cells() != cells.cells()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<Workbook> model;
  try {
    model = OpenXlsBytes("fuzz.xls", bytes)->ReadCells();
  } catch (const WorkbookError&) {
  }
  if (model) {
    // Every sheet of a workbook that reads whole reads row by row.
    CompareRowsWithModel(bytes, *model);
    return 0;
  }
  try {
    MergingSink rows;
    OpenXlsBytes("fuzz.xls", bytes)->ReadRows({}, rows);
  } catch (const WorkbookError&) {
  }
  return 0;
}
