#include "engine/reading/zip/background_inflater.h"

#include <algorithm>

#include "engine/reading/reader_budget.h"
#include "engine/reading/workbook_error.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace kestrilo {

BackgroundInflater::BackgroundInflater(const ZipArchive& zip, std::string name)
    : name_(std::move(name)) {
  const auto size = zip.EntrySize(name_);
  if (!size)
    throw WorkbookError(zip.path(), "the part " + name_ + " is missing");
  if (*size > ReaderBudget::kPartBytes) {
    throw WorkbookError(zip.path(),
                        "the part " + name_ + " is too large to read (" +
                            std::to_string(*size) + " bytes uncompressed)");
  }
  size_ = static_cast<std::size_t>(*size);
  // Not value-initialised: pages are only touched as data arrives.
  buffer_.reset(new char[size_ + 1]);
#ifdef MADV_HUGEPAGE
  // Filled page by page, a large part costs as much in page faults as in
  // inflating; huge pages, where the system grants them, take far fewer.
  if (size_ >= (std::size_t{8} << 20)) {
    constexpr std::uintptr_t kPage = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(buffer_.get());
    const std::uintptr_t first = (start + kPage - 1) & ~(kPage - 1);
    madvise(reinterpret_cast<void*>(first), start + size_ - first,
            MADV_HUGEPAGE);
  }
#endif
  worker_ = std::thread([this, &zip] { Work(zip); });
}

BackgroundInflater::~BackgroundInflater() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    arrived_.notify_all();
  }
  worker_.join();
}

void BackgroundInflater::Work(const ZipArchive& zip) {
  try {
    zip.ReadInto(name_, buffer_.get(), [this](std::uint64_t done) {
      std::unique_lock<std::mutex> lock(mutex_);
      available_ = static_cast<std::size_t>(done);
      arrived_.notify_all();
      // Stay at most kRunAhead beyond what the parser has asked for: when
      // it stops early (a budget met, an error found) the rest of a crafted
      // part is never inflated into memory.
      arrived_.wait(lock, [&] {
        return cancelled_ || available_ == size_ ||
               available_ - std::min(available_, requested_) < kRunAhead;
      });
      return !cancelled_;
    });
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = std::current_exception();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = true;
  arrived_.notify_all();
}

std::size_t BackgroundInflater::WaitBeyond(std::size_t have) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (have > requested_) {
    requested_ = have;
    arrived_.notify_all();
  }
  arrived_.wait(lock, [&] { return done_ || available_ > have; });
  if (error_) std::rethrow_exception(error_);
  // The full size means "complete": report it only once the worker has
  // verified the checksum.
  if (!done_ && available_ == size_) {
    arrived_.wait(lock, [&] { return done_; });
    if (error_) std::rethrow_exception(error_);
  }
  return available_;
}

std::size_t BackgroundInflater::WaitAll() {
  std::unique_lock<std::mutex> lock(mutex_);
  requested_ = size_;
  arrived_.notify_all();
  arrived_.wait(lock, [&] { return done_; });
  if (error_) std::rethrow_exception(error_);
  return available_;
}

void BackgroundInflater::Release(std::size_t begin, std::size_t end) {
#ifdef MADV_DONTNEED
  static const auto kPage = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(buffer_.get());
  const std::uintptr_t first = (start + begin + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t last = (start + std::min(end, size_)) & ~(kPage - 1);
  if (first < last) {
    madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
  }
#else
  (void)begin;
  (void)end;
#endif
}

}  // namespace kestrilo
