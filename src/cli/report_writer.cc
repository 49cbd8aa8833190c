// SPDX-License-Identifier: MIT

#include "cli/report_writer.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include "cli/signal_stop.h"
#include "nlohmann/json.hpp"

namespace kestrilo::cli {

namespace {

const char* StatusText(JobResult::Status status) {
  switch (status) {
    case JobResult::Status::kConverted:
      return "converted";
    case JobResult::Status::kFailed:
      return "failed";
    case JobResult::Status::kSkipped:
    case JobResult::Status::kNotStarted:
      return "skipped";
  }
  return "failed";
}

}  // namespace

std::string ReportLine(const Job& job, const JobResult& result) {
  const bool converted = result.status == JobResult::Status::kConverted;
  nlohmann::ordered_json line;
  line["input"] = job.input;
  line["output"] = converted && !job.output_path.empty()
                       ? nlohmann::ordered_json(job.output_path)
                       : nlohmann::ordered_json(nullptr);
  line["status"] = StatusText(result.status);
  line["reason"] =
      result.status == JobResult::Status::kNotStarted
          ? nlohmann::ordered_json("not started: the run was interrupted")
      : result.reason.empty() ? nlohmann::ordered_json(nullptr)
                              : nlohmann::ordered_json(result.reason);
  line["warnings"] = result.warnings;
  line["sheet"] = result.sheet.empty() ? nlohmann::ordered_json(nullptr)
                                       : nlohmann::ordered_json(result.sheet);
  line["block"] = result.block.empty() ? nlohmann::ordered_json(nullptr)
                                       : nlohmann::ordered_json(result.block);
  line["rows"] = result.rows;
  line["columns"] = result.columns;
  line["bytes"] = result.bytes;
  line["seconds"] = result.seconds;
  return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

ReportWriter::ReportWriter(const std::string& path) : path_(path) {
  if (path == "-") {
    file_ = stdout;
    return;
  }
  file_ = std::fopen(path.c_str(), "we");
  if (file_ == nullptr) {
    throw std::runtime_error(
        path + ": cannot write the report: " + std::strerror(errno));
  }
  owned_ = true;
}

ReportWriter::~ReportWriter() {
  if (owned_) std::fclose(file_);
}

bool ReportWriter::Write(const Job& job, const JobResult& result) {
  const std::string line = ReportLine(job, result) + "\n";
  if (std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
      std::fflush(file_) == 0) {
    return true;
  }
  if (errno == EPIPE) StopAtOnce(SIGPIPE);
  error_ = path_ + ": cannot write the report: " + std::strerror(errno);
  return false;
}

}  // namespace kestrilo::cli
