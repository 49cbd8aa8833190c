// SPDX-License-Identifier: MIT

#include "cli/interrupt_watch.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <utility>

#include "cli/signal_stop.h"

namespace kestrilo::cli {

namespace {

// Sent by the watch to its own thread to end its wait: the end of a run is
// seen at once, not after a while of polling.
constexpr int kWakeSignal = SIGUSR2;

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
  // Threads started from here on inherit the mask; the wake signal is the
  // watcher's alone.
  sigset_t blocked = signals_;
  sigaddset(&blocked, kWakeSignal);
  pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
  watcher_ = std::thread([this] { Watch(); });
}

InterruptWatch::~InterruptWatch() {
  stopping_ = true;
  pthread_kill(watcher_.native_handle(), kWakeSignal);
  watcher_.join();
}

void InterruptWatch::Watch() {
  sigset_t awaited = signals_;
  sigaddset(&awaited, kWakeSignal);
  while (!stopping_) {
    int signal = 0;
    if (sigwait(&awaited, &signal) != 0 || signal == kWakeSignal) continue;
    if (signal == SIGTERM || interrupted_.exchange(true)) StopAtOnce(signal);
    if (first_interrupt_) first_interrupt_();
  }
}

}  // namespace kestrilo::cli
