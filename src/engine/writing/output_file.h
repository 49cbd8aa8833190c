// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/writing/xml_sink.h"

namespace kestrilo {

/// A file created or replaced piece by piece: the text goes to a temporary
/// file in the same folder, which Commit renames over `path` once all of it
/// is written and flushed. Until then an earlier file at `path` stays as it
/// was; a failure, or an OutputFile destroyed without Commit, removes the
/// temporary file and leaves no partial file behind. A replaced file keeps
/// its permissions (and, where the process may set them, its owner and
/// group). Every failure throws std::runtime_error naming the path and the
/// reason.
class OutputFile : public XmlSink {
 public:
  /// Creates the temporary file beside `path`.
  explicit OutputFile(std::string path);
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Appends `text` (UTF-8, no byte-order mark is added).
  void Write(std::string_view text) override;
  /// Empties the temporary file: the earlier file at `path` stays as it is.
  bool CanRestart() const override { return true; }
  void Restart() override;
  /// Flushes the text to the disk and puts the file in place.
  void Commit();

  /// True once a Write or Commit has failed: the exception it threw was
  /// about writing the file rather than about making its text.
  bool failed() const { return failed_; }
  const std::string& path() const { return path_; }
  /// The bytes written so far.
  std::uint64_t bytes() const { return bytes_; }

 private:
  [[noreturn]] void Fail(const char* step, int error);
  void StartWriteback();

  std::string path_;
  std::string temp_;
  int fd_ = -1;
  bool failed_ = false;
  std::uint64_t bytes_ = 0;
  std::uint64_t written_back_ = 0;  // bytes the disk was asked to take
};

/// Creates or replaces the file at `path` with exactly the bytes of `text`,
/// through an OutputFile. Throws std::runtime_error naming the path and the
/// reason.
void WriteTextFile(std::string_view text, const std::string& path);

/// Puts `file` in place and a file at `beside_path` holding `beside_text`
/// (an XML file's schema) beside it. The second is written whole first, so
/// that a failure to write it leaves the earlier files as they were.
void CommitBeside(OutputFile& file, std::string_view beside_text,
                  const std::string& beside_path);

/// Removes every temporary file that OutputFile objects in any thread are
/// writing at this moment, and makes their Commit, and any later file's,
/// wait for good: for a program that is about to end at once (on a signal).
/// Not for a signal handler itself; call it from an ordinary thread.
void AbandonTemporaryFiles();

}  // namespace kestrilo
