// SPDX-License-Identifier: MIT

#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/reading/zip/recycling_buffer.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// Inflates one zip entry on a worker thread into a buffer that never
/// moves, so that a parser can work on the first megabytes while the rest is
/// still being inflated: reading a large sheet then takes about as long as
/// the slower of the two, not their sum.
///
/// The archive must not be used by anyone else until this object is gone.
class BackgroundInflater {
 public:
  /// Starts inflating `name`. Throws WorkbookError at once when the entry
  /// is missing or states an impossible size.
  BackgroundInflater(const ZipArchive& zip, std::string name);
  /// Stops the worker (without waiting for the rest of the entry).
  ~BackgroundInflater();
  BackgroundInflater(const BackgroundInflater&) = delete;
  BackgroundInflater& operator=(const BackgroundInflater&) = delete;

  const char* data() const { return buffer_->data(); }
  /// The stated size of the entry.
  std::size_t size() const { return size_; }

  /// Blocks until more than `have` bytes are there or the entry is
  /// complete, and returns the count of bytes there. Once the entry is
  /// complete (and its checksum verified) it returns the full size; a
  /// failure of the worker is thrown here as its WorkbookError.
  std::size_t WaitBeyond(std::size_t have);
  /// Blocks until the whole entry is there; returns its size.
  std::size_t WaitAll();
  /// Gives back the bytes in [begin, end), which the caller has read and
  /// will never look at again: their memory goes ahead, to hold
  /// bytes still to be inflated, or back to the system. Ranges come in
  /// ascending order; `end` must not pass what WaitBeyond() has returned.
  void Release(std::size_t begin, std::size_t end);

 private:
  void Work(const ZipArchive& zip);

  std::string name_;
  std::size_t size_ = 0;
  std::unique_ptr<RecyclingBuffer> buffer_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  /// How far the worker may inflate beyond what the parser has asked for.
  static constexpr std::size_t kRunAhead = std::size_t{16} << 20;

  std::size_t available_ = 0;
  std::size_t requested_ = 0;
  bool done_ = false;
  bool cancelled_ = false;
  std::exception_ptr error_;
  std::thread worker_;
};

}  // namespace kestrilo
