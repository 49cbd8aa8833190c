// SPDX-License-Identifier: MIT

#include "engine/reading/zip/background_inflater.h"

#include <algorithm>

#include "engine/input/reader_budget.h"
#include "engine/input/workbook_error.h"

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
  buffer_ = std::make_unique<RecyclingBuffer>(size_ + 1);
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
    zip.ReadInto(name_, buffer_->data(), [this](std::uint64_t done) {
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
  // Held, the lock keeps the worker within the chunk it is inflating now:
  // nothing beyond that is touched while the memory moves.
  std::lock_guard<std::mutex> lock(mutex_);
  buffer_->Release(begin, std::min(end, size_),
                   available_ + ZipArchive::kChunkSize);
}

}  // namespace kestrilo
