#pragma once

#include <string>
#include <vector>

#include "engine/folder_scan_hooks.h"

namespace kestrilo::cli {

/// One workbook of a run and where its XML goes.
struct Job {
  /// The workbook path as given or as the folder scan found it.
  std::string input;
  /// The output file; empty when the XML goes to standard output.
  std::string output_path;
  /// The first job of the run that writes the same output path (this job's
  /// own index when none before it does). Jobs of one group run in input
  /// order, so the last one's file stands, whatever the number of threads.
  int group = 0;
  /// The input of the nearest earlier job with the same output path, whose
  /// file this one replaces; empty when there is none.
  std::string replaces;
  /// Why this job must not write its output (it would overwrite a workbook
  /// of the run); empty when it may.
  std::string refusal;
};

/// The workbooks the inputs name, in order: a file stands for itself, a
/// folder for every file below it whose name matches "*." + `extension`, in
/// the order of the window's folder scan. Folder problems and folders that
/// add nothing go to `hooks.report_error`.
std::vector<std::string> ExpandInputs(const std::vector<std::string>& inputs,
                                      const std::string& extension,
                                      const FolderScanHooks& hooks);

/// One job per workbook, its output path in `output_folder` named as the
/// export run names it. An empty `output_folder` means standard output.
std::vector<Job> PlanJobs(const std::vector<std::string>& workbooks,
                          const std::string& output_folder);

/// The jobs' indices by group, groups in the order of their first job.
std::vector<std::vector<int>> GroupsOf(const std::vector<Job>& jobs);

}  // namespace kestrilo::cli
