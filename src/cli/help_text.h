// SPDX-License-Identifier: MIT

#pragma once

namespace kestrilo::cli {

/// The short usage text shown with a usage error.
const char* UsageText();

/// The full help text of --help.
const char* HelpText();

}  // namespace kestrilo::cli
