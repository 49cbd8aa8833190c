// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace kestrilo {

/// A buffer that is filled front to back while its earlier bytes are read
/// and given back. Where the system allows, the memory of bytes given back
/// is not freed but moved ahead, to the part not filled yet: a large part
/// then costs no fresh page for each megabyte it holds, only the pages of
/// the stretch between its reader and its writer. Elsewhere the pages go
/// back to the system, or stay.
class RecyclingBuffer {
 public:
  /// Throws std::bad_alloc when the memory cannot be had.
  explicit RecyclingBuffer(std::size_t size);
  ~RecyclingBuffer();
  RecyclingBuffer(const RecyclingBuffer&) = delete;
  RecyclingBuffer& operator=(const RecyclingBuffer&) = delete;

  char* data() const { return data_; }

  /// Gives back the bytes in [begin, end), which will never be read again;
  /// ranges come in ascending order. Their memory may be moved to lie at
  /// or after `untouched_from`, where nothing has been written yet and
  /// nothing is written until this returns; reading them afterwards gives
  /// zeros.
  void Release(std::size_t begin, std::size_t end, std::size_t untouched_from);

 private:
  // Moves the pages of [first, last) to lie from `to` on; those the
  // system refuses to move are freed instead.
  void Move(std::size_t first, std::size_t last, std::size_t to);
  void Free(std::size_t first, std::size_t last);

  char* data_ = nullptr;
  std::size_t mapped_ = 0;  // bytes mapped at data_; 0 when allocated
  std::unique_ptr<char[]> allocated_;
  // The bytes given back and not yet moved or freed: the end of a range
  // whose pages are partly still in use waits for the next range.
  std::size_t pending_begin_ = 0;
  std::size_t pending_end_ = 0;
  // Where the next pages moved ahead go: after those moved before.
  std::size_t moved_until_ = 0;
  // The ends of the stretches moved so far, each now a mapping of its own
  // that one move must not cross.
  std::vector<std::size_t> seams_;
};

}  // namespace kestrilo
