// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

#include "engine/model/row_sink.h"
#include "engine/reading/xlsx/xlsx_workbook_reader.h"

namespace kestrilo {

/// Sends one sheet of an xlsx workbook to a RowSink row by row, without
/// building the sheet: the memory needed is that of the shared strings and
/// a few rows, whatever the size of the sheet. The part is inflated on one
/// thread and parsed on another, a little ahead of the sink, which takes
/// the rows on the caller's thread.
class XlsxRowReader {
 public:
  /// Reads sheet `index` of `reader`'s workbook into `sink` and returns the
  /// formula cells read without a cached value. Throws WorkbookError for a
  /// damaged part, and whatever the sink throws (the threads are stopped
  /// first).
  static std::int64_t Send(XlsxWorkbookReader& reader, int index,
                           RowSink& sink);
};

}  // namespace kestrilo
