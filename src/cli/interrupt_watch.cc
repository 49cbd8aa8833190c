#include "cli/interrupt_watch.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <utility>

#include "engine/writing/output_file.h"

namespace kestrilo::cli {

namespace {

// Should the default action of a signal not end the program after all.
constexpr int kExitInterrupted = 130;

[[noreturn]] void StopAtOnce(int signal) {
  AbandonTemporaryFiles();
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(kExitInterrupted);
}

}  // namespace

InterruptWatch::InterruptWatch(std::atomic<bool>& interrupted,
                               std::function<void()> first_interrupt)
    : interrupted_(interrupted), first_interrupt_(std::move(first_interrupt)) {
  sigemptyset(&signals_);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 &&
        current.sa_handler != SIG_IGN) {
      sigaddset(&signals_, signal);
    }
  }
  // Threads started from here on inherit the mask.
  pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
  watcher_ = std::thread([this] { Watch(); });
}

InterruptWatch::~InterruptWatch() {
  stopping_ = true;
  watcher_.join();
}

void InterruptWatch::Watch() {
  // Waits a short while at a time, so that the end of the run is seen.
  const timespec wait{0, 50'000'000};
  while (!stopping_) {
    const int signal = sigtimedwait(&signals_, nullptr, &wait);
    if (signal <= 0) continue;
    if (signal == SIGTERM || interrupted_.exchange(true)) StopAtOnce(signal);
    if (first_interrupt_) first_interrupt_();
  }
}

}  // namespace kestrilo::cli
