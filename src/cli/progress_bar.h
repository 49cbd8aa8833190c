// SPDX-License-Identifier: MIT

#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace kestrilo::cli {

/// A one-line progress display on a terminal: a bar, files done / total and
/// the current file, redrawn in place with "\r". When disabled every call
/// except Print does nothing, so callers need not test. Not thread-safe:
/// the caller serialises the calls.
class ProgressBar {
 public:
  /// `width` is the terminal's width in characters.
  ProgressBar(std::FILE* out, bool enabled, int total, int width);

  /// A file's conversion begins; it becomes the current file.
  void Started(std::string_view name);
  /// A file is done.
  void Finished();
  /// The current file's own progress text; redrawn at most a few times a
  /// second.
  void SetStatus(std::string_view text);
  /// Writes a complete line above the bar (the bar is redrawn after it).
  void Print(std::string_view line);
  /// Removes the bar from the terminal.
  void Clear();

 private:
  void Draw();
  std::string Line() const;

  std::FILE* out_;
  bool enabled_;
  int total_;
  int width_;
  int done_ = 0;
  std::string current_;
  std::string status_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace kestrilo::cli
