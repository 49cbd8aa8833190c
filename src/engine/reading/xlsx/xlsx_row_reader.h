#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/model/block_geometry.h"
#include "engine/model/cell_source.h"
#include "engine/model/workbook.h"

namespace kestrilo {

/// One sheet of an xlsx workbook read row by row while the writer asks for
/// its cells, without building the sheet: the memory needed is that of the
/// shared strings and a few rows, whatever the size of the sheet. The rows
/// are parsed on a thread of their own, a little ahead of the writer, while
/// the rest of the sheet is still being inflated on another.
///
/// Cells must be asked for row by row (the row-wise layouts do); within a
/// row, in any order. A file that lists its rows out of order cannot be
/// read this way: OutOfOrder is thrown as soon as that shows, and the
/// workbook must be read whole instead.
class XlsxRowReader : public CellSource {
 public:
  /// Thrown when the sheet lists a row after a later one.
  struct OutOfOrder {};
  /// Thrown when the rows read show a used range other than the expected.
  struct UsedRangeDiffers {};

  /// Opens `path` when it is an xlsx package; nothing for any other file.
  /// Reads the workbook part, lets `choose_sheet` pick the sheet by the
  /// workbook's sheets and names (their cells are not read), starts
  /// inflating that sheet and reads the shared strings and styles
  /// meanwhile. Throws WorkbookError, like ReadWorkbook.
  static std::unique_ptr<XlsxRowReader> Open(
      const std::string& path,
      const std::function<int(const Workbook&)>& choose_sheet);
  ~XlsxRowReader() override;

  /// The workbook's sheets (without cells) and its active sheet; the
  /// formulas without value counted in the rows read so far.
  const Workbook& workbook() const;
  int sheet_index() const;
  /// The area the sheet's <dimension> claims; a claim only, which writers
  /// do not always keep. Nothing when it claims far more cells than the
  /// sheet part has bytes.
  std::optional<BlockGeometry> dimension() const;
  /// Makes Value() throw UsedRangeDiffers as soon as the rows read show
  /// that the used range is not `used`: its first row without cells, a
  /// cell outside it, or its last row missing at the end of the sheet. A
  /// conversion of a block taken from a claimed used range stops early.
  void ExpectUsedRange(const BlockGeometry& used);

  /// Reading the cell at (`row`, `column`), the last one the writer needs,
  /// finishes the sheet first (see Finish), and `check` is given its used
  /// range; `check` may throw to stop the writer before its text is done.
  void FinishAtCell(
      std::int32_t row, std::int32_t column,
      std::function<void(const std::optional<BlockGeometry>&)> check);
  /// Reads the rest of the sheet, checking the order of its rows, and
  /// returns its used range (the bounding box of its cells).
  std::optional<BlockGeometry> Finish() const;

  BlockGeometry Geometry(std::string_view address) const override;
  /// Throws OutOfOrder, WorkbookError for bad cells, and std::logic_error
  /// when a row is asked for after a later one.
  CellValue Value(std::int32_t row, std::int32_t column) const override;

 private:
  XlsxRowReader();
  void CheckUsedRange() const;
  CellValue ValueInRow(std::int32_t column) const;
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace kestrilo
