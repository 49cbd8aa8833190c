// SPDX-License-Identifier: MIT

#include "cli/stdout_sink.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kestrilo::cli {

namespace {

[[noreturn]] void Fail() {
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
