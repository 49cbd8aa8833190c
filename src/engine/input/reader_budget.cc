// SPDX-License-Identifier: MIT

#include "engine/input/reader_budget.h"

#include "engine/input/workbook_error.h"

namespace kestrilo {

namespace {

std::string Megabytes(std::uint64_t bytes) {
  return bytes >= (1u << 20) ? std::to_string(bytes >> 20) + " MB"
                             : std::to_string(bytes) + " bytes";
}

const ReaderBudget::Limits kDefaultLimits;
thread_local const ReaderBudget::Limits* current_limits = &kDefaultLimits;

}  // namespace

ReaderBudget::ScopedLimits::ScopedLimits(const Limits& limits)
    : previous_(current_limits), limits_(limits) {
  current_limits = &limits_;
}

ReaderBudget::ScopedLimits::~ScopedLimits() { current_limits = previous_; }

const ReaderBudget::Limits& ReaderBudget::CurrentLimits() {
  return *current_limits;
}

void ReaderBudget::ChargePart(std::string_view part, std::uint64_t bytes) {
  if (bytes > limits_.part_bytes) {
    throw WorkbookError(
        path_, "the part " + std::string(part) + " inflates to more than " +
                   Megabytes(limits_.part_bytes) + ", more than we read");
  }
  inflated_ += bytes;
  if (inflated_ > limits_.workbook_bytes) {
    throw WorkbookError(path_, "the parts read inflate to more than " +
                                   Megabytes(limits_.workbook_bytes) +
                                   " together, more than we read");
  }
}

void ReaderBudget::ChargeRepeatedText(std::uint64_t characters) {
  repeated_text_ += characters;
  if (repeated_text_ > limits_.repeated_text) {
    throw WorkbookError(path_,
                        "its texts repeat characters (text:s) to more "
                        "than " +
                            Megabytes(limits_.repeated_text) +
                            ", more than we read");
  }
}

void ReaderBudget::CheckFileSize(const std::string& path, std::uint64_t bytes) {
  if (bytes > CurrentLimits().file_bytes) {
    throw WorkbookError(path, "the file is larger than " +
                                  Megabytes(CurrentLimits().file_bytes) +
                                  ", more than we read");
  }
}

void ReaderBudget::Exceeded(std::uint64_t limit, std::string_view what) const {
  throw WorkbookError(path_, "the workbook holds more than " +
                                 std::to_string(limit) + " " +
                                 std::string(what) + ", more than we read");
}

}  // namespace kestrilo
