// SPDX-License-Identifier: MIT

#pragma once

#include <string>

namespace kestrilo {

/// The reason a write failed with `error` (an errno), for a message that
/// names the file: the system's text, and for a file beyond the limit on
/// file size that limit, "File too large (files may take at most 1024000
/// bytes here: ulimit -f)".
std::string WriteFailureText(int error);

}  // namespace kestrilo
