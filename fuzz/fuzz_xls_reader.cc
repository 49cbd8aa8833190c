// The Excel binary reader (compound file and BIFF records) on any bytes: it
// either reads a workbook whose every cell can be read, or throws
// WorkbookError.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/reading/workbook_error.h"
#include "engine/reading/xls/xls_reader.h"
#include "engine/writing/cell_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  try {
    auto workbook = kestrilo::ReadXlsBytes(
        "fuzz.xls", std::string(reinterpret_cast<const char*>(data), size));
    std::string text;
    for (int i = 0; i < workbook->sheet_count(); ++i) {
      const kestrilo::Sheet& sheet = workbook->sheet(i);
      const auto used = sheet.UsedRange();
      if (!used) continue;
      // Corners only: the used range may be a million rows of nothing.
      kestrilo::AppendCellText(sheet.Cell(used->first_row, used->first_column),
                               text);
      kestrilo::AppendCellText(
          sheet.Cell(used->last_row(), used->last_column()), text);
    }
  } catch (const kestrilo::WorkbookError&) {
  }
  return 0;
}
