// SPDX-License-Identifier: MIT

#pragma once

#include <functional>
#include <string_view>

#include "cli/job_plan.h"
#include "cli/job_result.h"
#include "engine/conversion/conversion_request.h"

namespace kestrilo::cli {

/// What every workbook of a run is converted with.
struct ConversionSettings {
  ConversionRequest request;
  /// Receives the writer's progress texts ("Rows completed: ..."); may be
  /// empty. Called from the job's thread.
  std::function<void(std::string_view)> status;
};

/// Converts the job's workbook and writes the XML to the job's output path
/// (or keeps it in the result when the path is empty). Never throws: every
/// failure becomes a failed result naming the file.
JobResult ConvertWorkbook(const Job& job, const ConversionSettings& settings);

}  // namespace kestrilo::cli
