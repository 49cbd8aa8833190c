// SPDX-License-Identifier: MIT

#include "engine/reading/zip/recycling_buffer.h"

#include <algorithm>
#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kestrilo {

namespace {

// Pages are moved in blocks of a huge page, which moves whole.
constexpr std::size_t kBlock = std::size_t{2} << 20;
// Smaller buffers are not worth the bookkeeping.
constexpr std::size_t kLeastRecycled = std::size_t{8} << 20;

std::size_t AlignUp(std::size_t offset, std::size_t to) {
  return (offset + to - 1) / to * to;
}

std::size_t AlignDown(std::size_t offset, std::size_t to) {
  return offset / to * to;
}

}  // namespace

RecyclingBuffer::RecyclingBuffer(std::size_t size) {
#ifdef __linux__
  if (size >= kLeastRecycled) {
    const std::size_t mapped = AlignUp(size, kBlock);
    void* raw = ::mmap(nullptr, mapped + kBlock, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw != MAP_FAILED) {
      // Aligned to a huge page, the rest of the reservation given back.
      auto* start = static_cast<char*>(raw);
      const auto address = reinterpret_cast<std::uintptr_t>(start);
      char* aligned = start + (AlignUp(address, kBlock) - address);
      if (aligned != start) ::munmap(start, aligned - start);
      const std::size_t after = (start + mapped + kBlock) - (aligned + mapped);
      if (after != 0) ::munmap(aligned + mapped, after);
      data_ = aligned;
      mapped_ = mapped;
#ifdef MADV_HUGEPAGE
      // Filled page by page, a large part costs as much in page faults as
      // in inflating; huge pages, where the system grants them, take far
      // fewer.
      ::madvise(data_, mapped_, MADV_HUGEPAGE);
#endif
      return;
    }
  }
#endif
  // Not value-initialised: pages are only touched as data arrives.
  allocated_.reset(new char[size + 1]);
  data_ = allocated_.get();
}

RecyclingBuffer::~RecyclingBuffer() {
#ifdef __linux__
  if (mapped_ != 0) ::munmap(data_, mapped_);
#endif
}

void RecyclingBuffer::Release(std::size_t begin, std::size_t end,
                              std::size_t untouched_from) {
  if (begin >= end) return;
  if (begin > pending_end_) {
    // A gap stays in use: what waited before it goes now, page by page.
    Free(pending_begin_, pending_end_);
    pending_begin_ = begin;
  }
  pending_end_ = std::max(pending_end_, end);
  if (mapped_ == 0) {
    Free(pending_begin_, pending_end_);
    pending_begin_ = pending_end_;
    return;
  }
  const std::size_t first = AlignUp(pending_begin_, kBlock);
  const std::size_t last = AlignDown(pending_end_, kBlock);
  if (first >= last) return;
  // The bytes before `first` share their block with bytes still in use.
  Free(pending_begin_, first);
  const std::size_t to =
      std::max(moved_until_, AlignUp(untouched_from, kBlock));
  if (to + (last - first) <= mapped_) {
    Move(first, last, to);
  } else {
    Free(first, last);
  }
  pending_begin_ = last;
}

void RecyclingBuffer::Move(std::size_t first, std::size_t last,
                           std::size_t to) {
#ifdef __linux__
  // One move stays within one mapping: the stretches moved before are
  // mappings of their own.
  std::size_t from = first;
  // An index, not an iterator: moving adds seams, beyond `last`.
  std::size_t seam = static_cast<std::size_t>(
      std::upper_bound(seams_.begin(), seams_.end(), first) - seams_.begin());
  while (from < last) {
    while (seam < seams_.size() && seams_[seam] <= from) ++seam;
    const std::size_t until =
        seam < seams_.size() && seams_[seam] < last ? seams_[seam] : last;
    const std::size_t target = to + (from - first);
    void* moved = ::mremap(data_ + from, until - from, until - from,
                           MREMAP_MAYMOVE | MREMAP_FIXED, data_ + target);
    if (moved == MAP_FAILED) {
      Free(from, last);  // what moved stays moved; the rest is freed
      return;
    }
    // The hole left behind reads as zeros, as freed bytes do.
    ::mmap(data_ + from, until - from, PROT_READ | PROT_WRITE,
           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1, 0);
    seams_.push_back(target);
    seams_.push_back(target + (until - from));
    moved_until_ = target + (until - from);
    from = until;
  }
#else
  (void)to;
  Free(first, last);
#endif
}

void RecyclingBuffer::Free(std::size_t first, std::size_t last) {
#ifdef __linux__
  static const auto kPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(data_);
  // Whole pages only, counted from the page that holds data_.
  const std::size_t from = AlignUp(start + first, kPage) - start;
  const std::size_t until = AlignDown(start + last, kPage) - start;
  if (from < until) ::madvise(data_ + from, until - from, MADV_DONTNEED);
#else
  (void)first;
  (void)last;
#endif
}

}  // namespace kestrilo
