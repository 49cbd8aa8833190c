// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

/// One stream of a compound file, read where its sectors lie in the file's
/// bytes instead of being copied out of them: the file is then held once.
/// Consecutive sectors form one run, so a stream written in one piece (as
/// office suites write them) is a single view, and only reads that cross
/// from one run to the next are copied.
///
/// The CompoundFile it comes from must outlive it. Reading moves a hint of
/// where the last read was, so a stream serves one reader at a time.
class CompoundStream {
 public:
  /// A piece of the stream: where it starts in the stream, and its bytes.
  struct Run {
    std::uint64_t offset = 0;
    std::string_view bytes;
  };

  CompoundStream() = default;
  /// A stream made of `runs`, in stream order and without gaps.
  explicit CompoundStream(std::vector<Run> runs);
  /// A stream whose bytes are a copy it keeps (a small stream, gathered
  /// from the container's mini stream).
  explicit CompoundStream(std::string content);

  std::uint64_t size() const { return size_; }

  /// The bytes from `offset` to the end of the run holding it; empty at or
  /// beyond the end of the stream.
  std::string_view Contiguous(std::uint64_t offset);

  /// Up to `count` bytes from `offset` (fewer at the end of the stream): a
  /// view into the file where one run holds them, else copied into
  /// `scratch`.
  std::string_view Read(std::uint64_t offset, std::size_t count,
                        std::string* scratch);

  /// The whole stream, copied.
  std::string Copy() const;

 private:
  std::size_t RunOf(std::uint64_t offset);

  std::unique_ptr<const std::string> owned_;
  std::vector<Run> runs_;
  std::uint64_t size_ = 0;
  std::size_t last_run_ = 0;
};

}  // namespace kestrilo
