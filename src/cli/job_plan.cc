// SPDX-License-Identifier: MIT

#include "cli/job_plan.h"

#include <filesystem>
#include <unordered_map>

#include "engine/files/file_names.h"
#include "engine/folder_scan/folder_scan.h"
#include "engine/writing/output_file.h"
#include "engine/writing/output_plan.h"

namespace kestrilo::cli {

namespace {

namespace fs = std::filesystem;

std::string ParentOf(const std::string& path) {
  return fs::path(path).parent_path().string();
}

// `folder` without "." steps and with no separator at the end; empty for
// the current folder itself.
std::string CleanFolder(const std::string& folder) {
  std::string text = fs::path(folder).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text == "." ? std::string() : text;
}

// A listed folder as it leads a mirrored tree: only a relative folder that
// stays within the current one can, since the tree must stay inside the
// output folder.
std::string TreeFolderOf(const std::string& folder) {
  if (folder.empty() || fs::path(folder).is_absolute()) return {};
  std::string clean = CleanFolder(folder);
  if (clean == ".." || clean.starts_with("../")) return {};
  return clean;
}

// The folder of a scanned `path` relative to the folder input `root`.
std::string RelativeFolder(const std::string& path, const std::string& root) {
  const fs::path parent(CleanFolder(ParentOf(path)));
  const std::string relative = CleanFolder(
      parent.lexically_relative(fs::path(CleanFolder(root))).string());
  if (relative == ".." || relative.starts_with("../")) return {};
  return relative;
}

std::string JoinFolders(const std::string& lead, const std::string& rest) {
  if (lead.empty()) return rest;
  if (rest.empty()) return lead;
  return lead + "/" + rest;
}

std::string PatternsText(const std::vector<std::string>& extensions) {
  std::string text;
  for (const std::string& extension : extensions) {
    if (!text.empty()) text += ", ";
    text += "*." + extension;
  }
  return text;
}

}  // namespace

std::vector<FoundWorkbook> ExpandInputs(
    const std::vector<std::string>& inputs,
    const std::vector<std::string>& extensions, const FolderScanHooks& hooks,
    std::size_t first_listed) {
  std::vector<FoundWorkbook> workbooks;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::string& input = inputs[i];
    const bool listed = i >= first_listed;
    if (!IsFolder(input)) {
      workbooks.push_back(
          {input, listed ? TreeFolderOf(ParentOf(input)) : std::string()});
      continue;
    }
    const std::vector<std::string> found =
        FilesInFolderTree(input, extensions, hooks);
    if (found.empty() && hooks.report_error) {
      hooks.report_error(input + ": warning: no files matching " +
                         PatternsText(extensions) + " in this folder or below");
    }
    const std::string lead = listed ? TreeFolderOf(input) : std::string();
    for (const std::string& path : found) {
      workbooks.push_back(
          {path, JoinFolders(lead, RelativeFolder(path, input))});
    }
  }
  return workbooks;
}

std::vector<Job> PlanJobs(const std::vector<std::string>& workbooks,
                          const std::string& output_folder,
                          const std::vector<std::string>& subfolders) {
  const OutputPlan plan(workbooks, output_folder, subfolders);
  std::vector<Job> jobs;
  jobs.reserve(workbooks.size());
  for (int i = 0; i < plan.size(); ++i) {
    const OutputPlan::Entry& entry = plan[i];
    Job job;
    job.input = entry.input;
    job.output_path = entry.output_path;
    job.group = entry.group;
    if (entry.replaces >= 0) job.replaces = plan[entry.replaces].input;
    job.refusal = plan.OverwriteProblem(i);
    jobs.push_back(std::move(job));
  }
  return jobs;
}

std::vector<std::vector<int>> GroupsOf(const std::vector<Job>& jobs) {
  std::vector<std::vector<int>> groups;
  std::unordered_map<int, std::size_t> position;
  for (int i = 0; i < static_cast<int>(jobs.size()); ++i) {
    auto [it, inserted] = position.try_emplace(jobs[i].group, groups.size());
    if (inserted) groups.emplace_back();
    groups[it->second].push_back(i);
  }
  return groups;
}

}  // namespace kestrilo::cli
