// SPDX-License-Identifier: MIT

#include "cli/stdout_sink.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>

#include "cli/signal_stop.h"

namespace kestrilo::cli {

namespace {

// A reader gone away (a pipe to `head`) ends the program as SIGPIPE would;
// any other failure is the workbook's.
[[noreturn]] void Fail() {
  if (errno == EPIPE) StopAtOnce(SIGPIPE);
  throw std::runtime_error(std::string("cannot write to standard output: ") +
                           std::strerror(errno));
}

}  // namespace

void StdoutSink::Write(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), out_) != text.size()) Fail();
  bytes_ += text.size();
}

void StdoutSink::Flush() {
  if (std::fflush(out_) != 0) Fail();
}

}  // namespace kestrilo::cli
