// SPDX-License-Identifier: MIT

#include "engine/reading/csv/csv_input.h"

#include <algorithm>
#include <cstring>

#include "engine/input/reader_budget.h"
#include "engine/reading/csv/csv_encoding.h"

namespace kestrilo {

CsvInput::CsvInput(std::string path, std::unique_ptr<InputFile> file)
    : path_(std::move(path)), file_(std::move(file)) {}

std::size_t CsvInput::ReadAt(std::uint64_t offset, char* into,
                             std::size_t count) {
  if (!checked_) {
    checked_ = true;
    // A file too large is refused before a byte of it is read, as when
    // files were read whole.
    if (file_->regular()) {
      ReaderBudget::CheckFileSize(path_, file_->size());
    } else {
      stream_ = file_->ReadAll(CheckCsvStart(path_));
    }
  }
  if (!file_->regular()) {
    if (offset >= stream_.size()) return 0;
    const std::size_t got =
        std::min<std::uint64_t>(count, stream_.size() - offset);
    std::memcpy(into, stream_.data() + offset, got);
    return got;
  }
  const std::size_t got = file_->ReadAt(offset, into, count);
  // A file that grows while it is read stays within the budget too.
  ReaderBudget::CheckFileSize(path_, offset + got);
  return got;
}

}  // namespace kestrilo
