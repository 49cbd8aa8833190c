// SPDX-License-Identifier: MIT

#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "cli/job_result.h"

namespace kestrilo::cli {

/// Runs a run's jobs on a small pool of threads and hands their results
/// back in job order, so that what the user reads does not depend on the
/// number of threads.
class JobRunner {
 public:
  using Work = std::function<JobResult(int job)>;
  using StartCallback = std::function<void(int job)>;
  using ResultCallback = std::function<void(int job, JobResult& result)>;

  /// `threads` is at least 1.
  explicit JobRunner(int threads);

  /// Jobs that have not begun when `*flag` turns true are not run; they are
  /// reported as not started. Jobs under way finish.
  void StopWhen(const std::atomic<bool>* flag) { stop_ = flag; }

  /// Runs `work` for every job of `groups`. The jobs of one group run one
  /// after the other in the order listed; groups run in parallel. `started`
  /// is called as a job begins; `finished` for each job in ascending job
  /// order, as soon as it and every job before it are done. The callbacks
  /// are called one at a time (never concurrently). A job that throws counts
  /// as failed. Returns when every job is done and reported.
  void Run(const std::vector<std::vector<int>>& groups, int job_count,
           const Work& work, const StartCallback& started,
           const ResultCallback& finished);

 private:
  int threads_;
  const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace kestrilo::cli
