// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

namespace kestrilo::cli {

/// The paths of an input list: `source` is a file, or "-" for standard
/// input. Paths end with a line end, or with a NUL byte when
/// `null_separated` (as `find -print0` writes them); the last one needs no
/// end. Empty entries are passed over; every other byte is kept, so names
/// that are not UTF-8, or hold spaces or line ends (NUL form), come through.
/// Throws std::runtime_error naming the list when it cannot be read.
std::vector<std::string> ReadInputList(const std::string& source,
                                       bool null_separated);

}  // namespace kestrilo::cli
