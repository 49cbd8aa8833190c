// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

#include "engine/folder_scan/folder_scan_hooks.h"

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

/// A workbook an input names.
struct FoundWorkbook {
  std::string path;
  /// The relative folder below the output folder that a mirrored tree
  /// writes it to; empty for the output folder itself.
  std::string tree_folder;
};

/// The workbooks the inputs name, in order: a file stands for itself, a
/// folder for every file below it whose name matches "*." + any of
/// `extensions`, in the order of the window's folder scan. A found file's
/// tree folder is its folder relative to the folder input. Inputs from
/// index `first_listed` on came from an input list: when relative and
/// within the current folder, their own folders lead their tree folder.
/// Folder problems and folders that add nothing go to `hooks.report_error`.
std::vector<FoundWorkbook> ExpandInputs(
    const std::vector<std::string>& inputs,
    const std::vector<std::string>& extensions, const FolderScanHooks& hooks,
    std::size_t first_listed = std::string::npos);

/// One job per workbook, its output path in `output_folder` (or in
/// `subfolders[i]` below it, when given) named as the export run names it.
/// An empty `output_folder` means standard output.
std::vector<Job> PlanJobs(const std::vector<std::string>& workbooks,
                          const std::string& output_folder,
                          const std::vector<std::string>& subfolders = {});

/// The jobs' indices by group, groups in the order of their first job.
std::vector<std::vector<int>> GroupsOf(const std::vector<Job>& jobs);

}  // namespace kestrilo::cli
