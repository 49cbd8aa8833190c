// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kestrilo {

/// One input file, opened once and read once: its first bytes tell the
/// format, and the readers that need the whole file take it from here
/// rather than opening it again (a named pipe gives its content only once,
/// and opening it a second time waits forever for a writer).
///
/// Only regular files are read, except that text (`text_name`: a name
/// ending in .csv, .txt or .tsv) may also come from a named pipe or a
/// character device, as a program's output often does. Every failure
/// throws WorkbookError naming the file.
class InputFile {
 public:
  InputFile(std::string path, bool text_name);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  /// False for a pipe or device, which can be read only once, in order.
  bool regular() const { return regular_; }

  /// Up to `count` first bytes (fewer for a shorter file).
  std::string_view Head(std::size_t count);

  /// The size of a regular file when it was opened.
  unsigned long long size() const { return size_; }

  /// Reads up to `count` bytes of a regular file from `offset` into `into`,
  /// fewer only where the file ends, so that it can be read in pieces
  /// instead of whole; the pieces may be read again.
  std::size_t ReadAt(unsigned long long offset, char* into, std::size_t count);

  /// The whole content, refused past the budget's file bytes before more
  /// is held. `inspect`, when given, sees the first bytes (up to 64 KB) as
  /// soon as they are read and may throw to refuse the file at once.
  std::string ReadAll(
      const std::function<void(std::string_view)>& inspect = nullptr);

 private:
  [[noreturn]] void Fail(const std::string& reason) const;
  /// Reads until `want` bytes are held or the file ends.
  void Fill(std::size_t want);

  std::string path_;
  int fd_ = -1;
  bool regular_ = false;
  unsigned long long size_ = 0;  // of a regular file
  bool ended_ = false;
  std::string buffer_;
};

}  // namespace kestrilo
