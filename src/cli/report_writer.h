// SPDX-License-Identifier: MIT

#pragma once

#include <cstdio>
#include <string>

#include "cli/job_plan.h"
#include "cli/job_result.h"

namespace kestrilo::cli {

/// The machine-readable account of a run: one JSON object per workbook, one
/// a line (JSON Lines), each flushed as its workbook is reported, so that a
/// pipeline can follow the run as it goes.
class ReportWriter {
 public:
  /// Opens `path` for writing, replacing it ("-": standard output). Throws
  /// std::runtime_error naming the file when it cannot be opened.
  explicit ReportWriter(const std::string& path);
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  /// Writes the line of one finished job. Returns false when the line could
  /// not be written; the reason is then in error(). A report whose reader
  /// is gone (a pipe to `head`) ends the run at once, as SIGPIPE would,
  /// leaving no temporary file behind.
  bool Write(const Job& job, const JobResult& result);

  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  bool owned_ = false;
  std::string error_;
};

/// The report line of one job, without its line end. Names that are not
/// UTF-8 cannot be held by JSON text: their stray bytes read as U+FFFD.
std::string ReportLine(const Job& job, const JobResult& result);

}  // namespace kestrilo::cli
