// SPDX-License-Identifier: MIT

#include "engine/files/write_failure.h"

#include <sys/resource.h>

#include <cerrno>
#include <cstring>

namespace kestrilo {

std::string WriteFailureText(int error) {
  std::string text = std::strerror(error);
  rlimit limit{};
  if (error == EFBIG && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
      limit.rlim_cur != RLIM_INFINITY) {
    text += " (files may take at most " + std::to_string(limit.rlim_cur) +
            " bytes here: ulimit -f)";
  }
  return text;
}

}  // namespace kestrilo
