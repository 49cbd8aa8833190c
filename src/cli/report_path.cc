// SPDX-License-Identifier: MIT

#include "cli/report_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <utility>

#include "cli/usage_error.h"
#include "engine/writing/output_plan.h"

namespace kestrilo::cli {

namespace {

namespace fs = std::filesystem;

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> IdentityOf(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

// The file behind an open descriptor; nothing for a device (a terminal,
// /dev/null), which text written beside other text cannot spoil.
std::optional<FileId> IdentityOfDescriptor(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISCHR(info.st_mode)) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

fs::path NormalForm(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error).lexically_normal();
  const fs::path canonical = fs::weakly_canonical(absolute, error);
  return error ? absolute : canonical;
}

// The report's file, compared with each file of the run in turn: a run of
// many thousand workbooks costs one stat() each, and the normal form only
// for files that do not exist yet under the report's own name.
class ReportFile {
 public:
  explicit ReportFile(const std::string& path)
      : id_(IdentityOf(path)), normal_(NormalForm(path)) {}

  bool Is(const std::string& path) const {
    if (path.empty() || path == "-") return false;
    const std::optional<FileId> id = IdentityOf(path);
    if (id || id_) return id == id_;
    return fs::path(path).filename() == normal_.filename() &&
           NormalForm(path) == normal_;
  }
  bool IsOpenAs(int fd) const { return id_ && IdentityOfDescriptor(fd) == id_; }

 private:
  std::optional<FileId> id_;
  fs::path normal_;
};

}  // namespace

void CheckReportPath(const std::string& report, const RunFiles& files,
                     const std::vector<Job>& jobs) {
  if (report.empty() || report == "-") return;
  const ReportFile file(report);
  const std::string start = "--report " + report + " would ";
  if (files.files_from == "-" ? file.IsOpenAs(STDIN_FILENO)
                              : file.Is(files.files_from)) {
    throw UsageError(start + "replace the input list " +
                     (files.files_from == "-" ? "read from standard input"
                                              : files.files_from));
  }
  if (files.xml_to_stdout && file.IsOpenAs(STDOUT_FILENO)) {
    throw UsageError(start + "write into the XML on standard output");
  }
  for (const Job& job : jobs) {
    if (file.Is(job.input)) {
      throw UsageError(start + "replace the workbook " + job.input +
                       " of this run");
    }
  }
  for (const Job& job : jobs) {
    if (file.Is(job.output_path)) {
      throw UsageError(start + "replace the output file " + job.output_path +
                       " of " + job.input);
    }
    if (!files.schemas || job.output_path.empty()) continue;
    const std::string schema = SchemaPathFor(job.output_path);
    if (file.Is(schema)) {
      throw UsageError(start + "replace the schema " + schema + " of " +
                       job.input);
    }
  }
}

}  // namespace kestrilo::cli
