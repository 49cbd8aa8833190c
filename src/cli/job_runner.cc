// SPDX-License-Identifier: MIT

#include "cli/job_runner.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/failure_text.h"

namespace kestrilo::cli {

namespace {

// The state shared by the pool's threads for one Run.
class RunState {
 public:
  RunState(const std::vector<std::vector<int>>& groups, int job_count,
           const JobRunner::Work& work, const JobRunner::StartCallback& started,
           const JobRunner::ResultCallback& finished,
           const std::atomic<bool>* stop)
      : groups_(groups),
        work_(work),
        started_(started),
        finished_(finished),
        stop_(stop),
        results_(job_count) {}

  // One thread's loop: takes whole groups until none is left.
  void Work() {
    for (;;) {
      const std::size_t group = next_group_.fetch_add(1);
      if (group >= groups_.size()) return;
      for (int job : groups_[group]) RunJob(job);
    }
  }

 private:
  void RunJob(int job) {
    JobResult result;
    if (stop_ && stop_->load()) {
      result.status = JobResult::Status::kNotStarted;
    } else {
      {
        std::lock_guard lock(mutex_);
        if (started_) started_(job);
      }
      try {
        result = work_(job);
      } catch (const std::exception& error) {
        result.status = JobResult::Status::kFailed;
        result.messages.push_back(kMessagePrefix + std::string(error.what()));
      }
    }
    std::lock_guard lock(mutex_);
    results_[job] = std::move(result);
    while (next_report_ < results_.size() && results_[next_report_]) {
      if (finished_)
        finished_(static_cast<int>(next_report_), *results_[next_report_]);
      results_[next_report_].reset();
      ++next_report_;
    }
  }

  const std::vector<std::vector<int>>& groups_;
  const JobRunner::Work& work_;
  const JobRunner::StartCallback& started_;
  const JobRunner::ResultCallback& finished_;
  const std::atomic<bool>* stop_;
  std::atomic<std::size_t> next_group_{0};
  std::mutex mutex_;
  std::vector<std::optional<JobResult>> results_;
  std::size_t next_report_ = 0;
};

}  // namespace

JobRunner::JobRunner(int threads) : threads_(std::max(1, threads)) {}

void JobRunner::Run(const std::vector<std::vector<int>>& groups, int job_count,
                    const Work& work, const StartCallback& started,
                    const ResultCallback& finished) {
  RunState state(groups, job_count, work, started, finished, stop_);
  const int extra =
      std::min<int>(threads_, static_cast<int>(groups.size())) - 1;
  std::vector<std::jthread> pool;
  for (int i = 0; i < extra; ++i) pool.emplace_back([&state] { state.Work(); });
  state.Work();
}

}  // namespace kestrilo::cli
