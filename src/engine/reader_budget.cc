#include "engine/reader_budget.h"

#include "engine/workbook_error.h"

namespace kestrilo {

namespace {

std::string Megabytes(std::uint64_t bytes) {
  return std::to_string(bytes >> 20) + " MB";
}

}  // namespace

void ReaderBudget::ChargePart(std::string_view part, std::uint64_t bytes) {
  if (bytes > kPartBytes) {
    throw WorkbookError(
        path_, "the part " + std::string(part) + " inflates to more than " +
                   Megabytes(kPartBytes) + ", more than we read");
  }
  inflated_ += bytes;
  if (inflated_ > kWorkbookBytes) {
    throw WorkbookError(path_, "the parts read inflate to more than " +
                                   Megabytes(kWorkbookBytes) +
                                   " together, more than we read");
  }
}

void ReaderBudget::ChargeRepeatedText(std::uint64_t characters) {
  repeated_text_ += characters;
  if (repeated_text_ > kRepeatedText) {
    throw WorkbookError(path_,
                        "its texts repeat characters (text:s) to more "
                        "than " +
                            Megabytes(kRepeatedText) + ", more than we read");
  }
}

void ReaderBudget::CheckFileSize(const std::string& path, std::uint64_t bytes) {
  if (bytes > kFileBytes) {
    throw WorkbookError(path, "the file is larger than " +
                                  Megabytes(kFileBytes) +
                                  ", more than we read");
  }
}

void ReaderBudget::Exceeded(std::uint64_t limit, std::string_view what) const {
  throw WorkbookError(path_, "the workbook holds more than " +
                                 std::to_string(limit) + " " +
                                 std::string(what) + ", more than we read");
}

}  // namespace kestrilo
