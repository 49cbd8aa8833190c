// SPDX-License-Identifier: MIT

#include "engine/reading/xls/compound_stream.h"

#include <algorithm>

namespace kestrilo {

CompoundStream::CompoundStream(std::vector<Run> runs) : runs_(std::move(runs)) {
  if (!runs_.empty()) size_ = runs_.back().offset + runs_.back().bytes.size();
}

CompoundStream::CompoundStream(std::string content)
    : owned_(std::make_unique<const std::string>(std::move(content))) {
  if (!owned_->empty()) runs_.push_back({0, *owned_});
  size_ = owned_->size();
}

// Reads go forward through the stream nearly always, so the run of the
// last read, or the one after it, is tried before searching.
std::size_t CompoundStream::RunOf(std::uint64_t offset) {
  const auto holds = [&](std::size_t run) {
    return run < runs_.size() && offset >= runs_[run].offset &&
           offset - runs_[run].offset < runs_[run].bytes.size();
  };
  if (holds(last_run_)) return last_run_;
  if (holds(last_run_ + 1)) return ++last_run_;
  const auto after = std::upper_bound(
      runs_.begin(), runs_.end(), offset,
      [](std::uint64_t value, const Run& run) { return value < run.offset; });
  last_run_ = static_cast<std::size_t>(after - runs_.begin()) - 1;
  return last_run_;
}

std::string_view CompoundStream::Contiguous(std::uint64_t offset) {
  if (offset >= size_) return {};
  const Run& run = runs_[RunOf(offset)];
  return run.bytes.substr(static_cast<std::size_t>(offset - run.offset));
}

std::string_view CompoundStream::Read(std::uint64_t offset, std::size_t count,
                                      std::string* scratch) {
  std::string_view here = Contiguous(offset);
  if (here.size() >= count) return here.substr(0, count);
  scratch->clear();
  while (!here.empty() && scratch->size() < count) {
    here = here.substr(0, count - scratch->size());
    scratch->append(here);
    here = Contiguous(offset + scratch->size());
  }
  return *scratch;
}

std::string CompoundStream::Copy() const {
  std::string content;
  content.reserve(static_cast<std::size_t>(size_));
  for (const Run& run : runs_) content.append(run.bytes);
  return content;
}

}  // namespace kestrilo
