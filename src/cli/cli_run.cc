// SPDX-License-Identifier: MIT

#include "cli/cli_run.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/command_line.h"
#include "cli/failure_text.h"
#include "cli/help_text.h"
#include "cli/input_list.h"
#include "cli/interrupt_watch.h"
#include "cli/job_plan.h"
#include "cli/job_runner.h"
#include "cli/printable_text.h"
#include "cli/progress_bar.h"
#include "cli/report_path.h"
#include "cli/report_writer.h"
#include "cli/signal_stop.h"
#include "cli/usage_error.h"
#include "cli/workbook_conversion.h"
#include "cli/workbook_listing.h"
#include "engine/files/file_names.h"
#include "engine/writing/output_file.h"

namespace kestrilo::cli {

namespace {

// The exit status of a run stopped by an interrupt, as shells report it.
constexpr int kExitInterrupted = 130;

struct Counts {
  int converted = 0;
  int failed = 0;
  int skipped = 0;
  int not_started = 0;
  bool report_failed = false;
};

// Set by the first SIGINT or SIGHUP: no further workbook is begun, those
// under way finish, so no output file is left half made.
std::atomic<bool> interrupted{false};

// A descriptor 0 to 2 that the caller left closed (`2>&-`) would be handed
// to the first file opened, an output file say, and the messages meant for
// standard error would be written into it. /dev/null takes its place.
void OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

void PrintLine(const std::string& line) {
  std::fprintf(stderr, "%s\n", PrintableText(line).c_str());
}

int TerminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  return 80;
}

int UsageFailure(const std::string& message) {
  std::fprintf(stderr, "%s%s\n%s", kMessagePrefix,
               PrintableText(message).c_str(), UsageText());
  return kExitUsage;
}

// Makes sure the output folder exists; the reason when it cannot be made.
std::optional<std::string> PrepareOutputFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (IsFolder(folder)) return std::nullopt;
  if (error) return "cannot create the output folder: " + error.message();
  return std::string("the output path is not a folder");
}

std::string DisplayFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  if (error) return folder;
  std::string text = absolute.lexically_normal().string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

void PrintSummary(const Counts& counts, const CommandLine& line) {
  std::string text = kMessagePrefix;
  if (interrupted) text += "interrupted; ";
  text += std::to_string(counts.converted) + " converted, " +
          std::to_string(counts.failed) + " failed, " +
          std::to_string(counts.skipped) + " skipped";
  if (counts.not_started > 0) {
    text += ", " + std::to_string(counts.not_started) + " not started";
  }
  text += line.to_stdout() ? std::string("; output: standard output")
                           : "; output folder: " + DisplayFolder(line.output);
  PrintLine(text);
}

int ExitStatus(const Counts& counts) {
  if (interrupted) return kExitInterrupted;
  return counts.failed > 0 || counts.report_failed ? kExitFailed
                                                   : kExitConverted;
}

ConversionSettings SettingsOf(const CommandLine& line) {
  ConversionSettings settings;
  settings.request.sheet = SheetChoice{line.sheet_name, line.sheet_number};
  settings.request.block = line.range;
  settings.request.options = line.options;
  settings.request.max_output_bytes = line.max_output;
  return settings;
}

void Count(JobResult::Status status, Counts& counts) {
  switch (status) {
    case JobResult::Status::kConverted:
      ++counts.converted;
      break;
    case JobResult::Status::kFailed:
      ++counts.failed;
      break;
    case JobResult::Status::kSkipped:
      ++counts.skipped;
      break;
    case JobResult::Status::kNotStarted:
      ++counts.not_started;
      break;
  }
}

// Converts the planned jobs, reporting each in input order.
Counts RunJobs(const std::vector<Job>& jobs, const CommandLine& line,
               ReportWriter* report) {
  const bool show_progress = !line.quiet && isatty(STDERR_FILENO);
  ProgressBar bar(stderr, show_progress, static_cast<int>(jobs.size()),
                  TerminalWidth());
  std::mutex bar_mutex;  // status texts come from the job threads
  ConversionSettings settings = SettingsOf(line);
  if (show_progress) {
    settings.status = [&bar, &bar_mutex](std::string_view text) {
      std::lock_guard lock(bar_mutex);
      bar.SetStatus(text);
    };
  }
  Counts counts;
  const int threads = line.jobs > 0
                          ? line.jobs
                          : std::max(1u, std::thread::hardware_concurrency());
  JobRunner runner(threads);
  runner.StopWhen(&interrupted);
  InterruptWatch watch(interrupted, [&] {
    if (line.quiet) return;
    std::lock_guard lock(bar_mutex);
    bar.Print(std::string(kMessagePrefix) +
              "interrupted: the workbooks under way finish, no more begin; "
              "interrupt again to stop at once");
  });
  runner.Run(
      GroupsOf(jobs), static_cast<int>(jobs.size()),
      [&](int job) { return ConvertWorkbook(jobs[job], settings); },
      [&](int job) {
        std::lock_guard lock(bar_mutex);
        bar.Started(FileNameOfPath(jobs[job].input));
      },
      [&](int job, JobResult& result) {
        std::lock_guard lock(bar_mutex);
        for (const std::string& message : result.messages) bar.Print(message);
        if (report && !counts.report_failed &&
            !report->Write(jobs[job], result)) {
          counts.report_failed = true;
          bar.Print(kMessagePrefix + report->error());
        }
        Count(result.status, counts);
        bar.Finished();
      });
  bar.Clear();
  return counts;
}

// A run whose output folder cannot be made: every workbook fails, and the
// report still accounts for each.
void FailEveryJob(const std::vector<Job>& jobs, const std::string& reason,
                  ReportWriter* report, Counts& counts) {
  JobResult result;
  result.reason = reason;
  for (const Job& job : jobs) {
    if (report && !counts.report_failed && !report->Write(job, result)) {
      counts.report_failed = true;
      PrintLine(kMessagePrefix + report->error());
    }
    ++counts.failed;
  }
}

// The command line's inputs, then those of its input list; the index of
// the first listed one in `first_listed`.
std::vector<std::string> AllInputs(const CommandLine& line,
                                   std::size_t& first_listed) {
  std::vector<std::string> inputs = line.inputs;
  first_listed = std::string::npos;
  if (line.files_from.empty()) return inputs;
  first_listed = inputs.size();
  std::vector<std::string> listed =
      ReadInputList(line.files_from, line.null_separated);
  if (listed.empty()) {
    PrintLine(kMessagePrefix + line.files_from +
              ": warning: the input list is empty");
  }
  inputs.insert(inputs.end(), listed.begin(), listed.end());
  return inputs;
}

std::unique_ptr<ReportWriter> OpenReport(const CommandLine& line) {
  if (line.report.empty()) return nullptr;
  return std::make_unique<ReportWriter>(line.report);
}

int Convert(const CommandLine& line) {
  FolderScanHooks hooks;
  hooks.report_error = [](const std::string& message) {
    PrintLine(kMessagePrefix + message);
  };
  hooks.report_skipped = hooks.report_error;
  std::size_t first_listed = 0;
  const std::vector<std::string> inputs = AllInputs(line, first_listed);
  const std::vector<FoundWorkbook> found =
      ExpandInputs(inputs, line.extensions, hooks, first_listed);
  std::vector<std::string> workbooks;
  std::vector<std::string> subfolders;
  for (const FoundWorkbook& workbook : found) {
    workbooks.push_back(workbook.path);
    if (line.keep_tree) subfolders.push_back(workbook.tree_folder);
  }
  if (line.list) return ListWorkbooks(workbooks, stdout, stderr);
  if (line.to_stdout() && workbooks.size() != 1) {
    return UsageFailure("-o - writes a single workbook; the inputs give " +
                        std::to_string(workbooks.size()));
  }
  Counts counts;
  const std::vector<Job> jobs = PlanJobs(
      workbooks, line.to_stdout() ? std::string() : line.output, subfolders);
  CheckReportPath(line.report,
                  {line.files_from, line.options.schema, line.to_stdout()},
                  jobs);
  const std::unique_ptr<ReportWriter> report = OpenReport(line);
  if (!line.to_stdout()) {
    if (auto problem = PrepareOutputFolder(line.output)) {
      PrintLine(kMessagePrefix + line.output + ": " + *problem);
      FailEveryJob(jobs, line.output + ": " + *problem, report.get(), counts);
      if (!line.quiet) PrintSummary(counts, line);
      return kExitFailed;
    }
  }
  counts = RunJobs(jobs, line, report.get());
  if (!line.quiet) PrintSummary(counts, line);
  return ExitStatus(counts);
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
  OpenClosedStandardDescriptors();
  IgnoreWriteSignals();
  CommandLine line;
  try {
    line = ParseCommandLine(args);
  } catch (const UsageError& error) {
    return UsageFailure(error.what());
  }
  if (line.help) {
    std::fputs(HelpText(), stdout);
    return kExitConverted;
  }
  if (line.version) {
    std::printf("kestrilo-cli %s\n", KESTRILO_VERSION);
    return kExitConverted;
  }
  try {
    return Convert(line);
  } catch (const UsageError& error) {
    return UsageFailure(error.what());
  } catch (const std::exception& error) {
    // Each workbook's own failures are caught and reported with it; this is
    // for the rest (the folder scan, memory), which must not end in a crash.
    PrintLine(kMessagePrefix + std::string(error.what()));
    return kExitFailed;
  }
}

}  // namespace kestrilo::cli
