// SPDX-License-Identifier: MIT

#include "cli/signal_stop.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>

#include "engine/writing/output_file.h"

namespace kestrilo::cli {

namespace {

// Should the default action of a signal not end the program after all.
constexpr int kExitInterrupted = 130;

}  // namespace

void IgnoreWriteSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

void StopAtOnce(int signal) {
  AbandonTemporaryFiles();
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(kExitInterrupted);
}

}  // namespace kestrilo::cli
