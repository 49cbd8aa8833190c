// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/input/input_file.h"

namespace kestrilo {

/// The bytes of a delimited text file, read in pieces wherever they are
/// needed: a regular file piece by piece from where it lies, as often as
/// asked and never whole; a pipe or device, which gives its bytes only
/// once, whole at the first read (within the budget's file bytes).
class CsvInput {
 public:
  /// Pieces of this size keep the memory small and the system calls few.
  static constexpr std::size_t kPiece = std::size_t{1} << 20;

  /// `file` has read the first bytes of `path` and reads the rest.
  CsvInput(std::string path, std::unique_ptr<InputFile> file);

  const std::string& path() const { return path_; }

  /// Reads up to `count` bytes from `offset` into `into`; fewer only where
  /// the input ends. Throws WorkbookError naming the file, for one larger
  /// than the budget's file bytes too.
  std::size_t ReadAt(std::uint64_t offset, char* into, std::size_t count);

 private:
  std::string path_;
  std::unique_ptr<InputFile> file_;
  bool checked_ = false;
  /// The whole content of a pipe or device.
  std::string stream_;
};

}  // namespace kestrilo
