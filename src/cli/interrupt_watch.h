// SPDX-License-Identifier: MIT

#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace kestrilo::cli {

/// Takes the signals that end a run, from construction to destruction, on a
/// thread of its own (every thread started meanwhile blocks them) rather
/// than in a handler: stopping at once must remove the temporary files
/// being written, which takes locks no handler may take.
///
/// A first SIGINT or SIGHUP sets `interrupted`, so that no further workbook
/// is begun while those under way finish, and calls `first_interrupt`; a
/// second one stops at once. SIGTERM, which service managers send and
/// follow with SIGKILL, stops at once the first time. Stopping at once
/// removes the temporary files being written (finished files stay) and
/// ends the program as the signal's default action would. A signal the
/// caller ignores (nohup, a background job) stays ignored.
class InterruptWatch {
 public:
  InterruptWatch(std::atomic<bool>& interrupted,
                 std::function<void()> first_interrupt);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  void Watch();

  std::atomic<bool>& interrupted_;
  std::function<void()> first_interrupt_;
  sigset_t signals_;
  std::atomic<bool> stopping_{false};
  std::thread watcher_;
};

}  // namespace kestrilo::cli
