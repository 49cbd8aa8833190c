#include "cli/job_plan.h"

#include <unordered_map>

#include "engine/folder_scan.h"
#include "engine/output_file.h"
#include "engine/output_plan.h"

namespace kestrilo::cli {

std::vector<std::string> ExpandInputs(const std::vector<std::string>& inputs,
                                      const std::string& extension,
                                      const FolderScanHooks& hooks) {
  std::vector<std::string> workbooks;
  for (const std::string& input : inputs) {
    if (!IsFolder(input)) {
      workbooks.push_back(input);
      continue;
    }
    std::vector<std::string> found = FilesInFolderTree(input, extension, hooks);
    if (found.empty() && hooks.report_error) {
      hooks.report_error(input + ": warning: no files matching *." + extension +
                         " in this folder or below");
    }
    workbooks.insert(workbooks.end(), found.begin(), found.end());
  }
  return workbooks;
}

std::vector<Job> PlanJobs(const std::vector<std::string>& workbooks,
                          const std::string& output_folder) {
  const OutputPlan plan(workbooks, output_folder);
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
