#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli/job_plan.h"
#include "cli/job_result.h"
#include "engine/writing/export_options.h"

namespace kestrilo::cli {

/// What every workbook of a run is converted with.
struct ConversionSettings {
  /// The block's address; empty means the used range of the sheet.
  std::string range;
  /// The sheet when the address names none: by name, or by 1-based number.
  std::string sheet_name;
  std::optional<int> sheet_number;
  ExportOptions options;
  /// Receives the writer's progress texts ("Rows completed: ..."); may be
  /// empty. Called from the job's thread.
  std::function<void(std::string_view)> status;
};

/// Reads the job's workbook, converts the block and writes the XML to the
/// job's output path (or keeps it in the result when the path is empty).
/// Never throws: every failure becomes a failed result naming the file.
JobResult ConvertWorkbook(const Job& job, const ConversionSettings& settings);

}  // namespace kestrilo::cli
