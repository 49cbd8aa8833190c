// SPDX-License-Identifier: MIT

#include "cli/workbook_conversion.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "cli/failure_text.h"
#include "cli/stdout_sink.h"
#include "engine/conversion/conversion.h"
#include "engine/files/file_names.h"
#include "engine/model/range_address.h"
#include "engine/writing/output_file.h"
#include "engine/writing/output_plan.h"

namespace kestrilo::cli {

namespace {

// Hands the writer's progress texts on to the run's progress bar.
class StatusObserver : public ConversionObserver {
 public:
  explicit StatusObserver(const std::function<void(std::string_view)>& status)
      : status_(status) {}
  void Progress(std::string_view text) override {
    if (status_) status_(text);
  }

 private:
  const std::function<void(std::string_view)>& status_;
};

// A mirrored tree's folders are made as their first workbook is written.
void MakeParentFolder(const std::string& path) {
  const std::filesystem::path parent =
      std::filesystem::path(path).parent_path();
  if (parent.empty() || IsFolder(parent.string())) return;
  std::error_code error;
  std::filesystem::create_directories(parent, error);
  // Another process of a sharded run may have made it meanwhile.
  if (error && !IsFolder(parent.string())) {
    throw std::runtime_error("cannot create the output folder " +
                             parent.string() + ": " + error.message());
  }
}

// Converts into the job's file, or straight to standard output (which
// `-o -` allows for a single workbook).
ConversionReport ConvertInto(const Job& job, const ConversionSettings& settings,
                             JobResult& result) {
  StatusObserver observer(settings.status);
  if (job.output_path.empty()) {
    StdoutSink out;
    ConversionReport report =
        ConvertFile(job.input, settings.request, out, &observer);
    out.Flush();
    result.bytes = out.bytes();
    return report;
  }
  MakeParentFolder(job.output_path);
  OutputFile file(job.output_path);
  // The XML's root names the schema written beside it.
  ConversionRequest request = settings.request;
  const std::string schema_path = SchemaPathFor(job.output_path);
  if (request.options.schema) {
    request.options.schema_name = FileNameOfPath(schema_path);
  }
  ConversionReport report = ConvertFile(job.input, request, file, &observer);
  if (report.skipped.empty()) {
    if (request.options.schema) {
      CommitBeside(file, report.schema, schema_path);
    } else {
      file.Commit();
    }
    result.bytes = file.bytes();
  }
  return report;
}

void Convert(const Job& job, const ConversionSettings& settings,
             JobResult& result) {
  if (!job.refusal.empty()) throw std::runtime_error(job.refusal);
  const std::string warning_prefix = kMessagePrefix + job.input + ": warning: ";
  const auto warn = [&](const std::string& text) {
    result.messages.push_back(warning_prefix + text);
    result.warnings.push_back(text);
  };
  if (!job.replaces.empty()) {
    warn("writes the same file " + job.output_path + " as " + job.replaces +
         ", and replaces it");
  }
  const ConversionReport report = ConvertInto(job, settings, result);
  for (const std::string& warning : report.warnings) warn(warning);
  if (!report.skipped.empty()) {
    // Standard error hears why; the report gives it as the reason.
    result.reason = report.skipped + "; skipped";
    result.messages.push_back(warning_prefix + result.reason);
    result.status = JobResult::Status::kSkipped;
    return;
  }
  result.sheet = report.sheet;
  result.block = FormatArea(*report.block);
  result.rows = report.block->row_count;
  result.columns = report.block->column_count;
  result.status = JobResult::Status::kConverted;
}

}  // namespace

JobResult ConvertWorkbook(const Job& job, const ConversionSettings& settings) {
  JobResult result;
  const auto start = std::chrono::steady_clock::now();
  try {
    Convert(job, settings, result);
  } catch (...) {
    const FailureText failure =
        DescribeFailure(job.input, std::current_exception());
    result.messages.push_back(kMessagePrefix + failure.line);
    result.reason = failure.reason;
  }
  if (result.status != JobResult::Status::kConverted) {
    result.block.clear();
    result.sheet.clear();
    result.rows = result.columns = 0;
    result.bytes = 0;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  return result;
}

}  // namespace kestrilo::cli
