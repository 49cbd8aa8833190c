// SPDX-License-Identifier: MIT

#pragma once

#include <functional>
#include <string>

#include "engine/model/workbook.h"
#include "engine/reading/ods/ods_table_target.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// What one pass over the content.xml of an OpenDocument spreadsheet reads.
struct OdsContentPlan {
  /// Asked as each table starts, with its index among the tables and its
  /// sheet (name and visibility known): where its cells go, or null to
  /// pass it by without reading its cells.
  std::function<OdsTableTarget*(int index, Sheet& sheet)> target;
  /// Whether the named ranges, named expressions and database ranges are
  /// gathered into the workbook.
  bool names = true;
  /// Whether the pass ends as soon as a table read into a target ends.
  bool stop_after_target = false;
};

/// Reads content.xml of the package `zip` in one pass as `plan` says,
/// parsing it while a worker thread inflates it and giving the bytes read
/// back as it goes: the automatic styles (hidden tables, column widths, row
/// heights, cell styles, which also name the common styles of styles.xml
/// when the plan reads cells), then each table of office:spreadsheet,
/// added to `workbook` as a sheet. Formula cells without a value are
/// counted in the workbook for the tables read into a target. Throws
/// WorkbookError naming `path` for damaged content.
void ReadOdsContent(const std::string& path, const ZipArchive& zip,
                    Workbook& workbook, const OdsContentPlan& plan);

}  // namespace kestrilo
