// SPDX-License-Identifier: MIT

#include "engine/input/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/input/reader_budget.h"
#include "engine/input/reading_tally.h"
#include "engine/input/workbook_error.h"

namespace kestrilo {

namespace {

constexpr std::size_t kChunk = std::size_t{64} << 10;

}  // namespace

InputFile::InputFile(std::string path, bool text_name)
    : path_(std::move(path)) {
  // The kind of file is looked at before it is opened: opening a named
  // pipe waits for a writer, which is right only for a pipe we will read.
  struct stat status;
  if (::stat(path_.c_str(), &status) != 0) {
    Fail(std::string("cannot open the file: ") + std::strerror(errno));
  }
  if (S_ISDIR(status.st_mode)) Fail("this is a folder, not a workbook");
  regular_ = S_ISREG(status.st_mode);
  const bool stream = S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode);
  if (!regular_ && !(stream && text_name)) {
    Fail(
        "not a regular file (a pipe, device or socket); only csv, txt and "
        "tsv text is read from a pipe, workbooks only from files");
  }
  ReadingTally::CountOpen();
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    Fail(std::string("cannot open the file: ") + std::strerror(errno));
  }
  if (regular_) {
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
      Fail("the file changed while it was opened");
    }
    size_ = static_cast<unsigned long long>(status.st_size);
  }
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void InputFile::Fail(const std::string& reason) const {
  throw WorkbookError(path_, reason);
}

void InputFile::Fill(std::size_t want) {
  char chunk[kChunk];
  while (!ended_ && buffer_.size() < want) {
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail(std::string("cannot read the file: ") + std::strerror(errno));
    }
    if (got == 0) {
      ended_ = true;
      break;
    }
    // The budget is checked before the bytes are held, so that an endless
    // device costs no more than the budget.
    ReaderBudget::CheckFileSize(path_, buffer_.size() + got);
    buffer_.append(chunk, static_cast<std::size_t>(got));
  }
}

std::string_view InputFile::Head(std::size_t count) {
  Fill(count);
  return std::string_view(buffer_).substr(0, count);
}

std::size_t InputFile::ReadAt(unsigned long long offset, char* into,
                              std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, into + done, count - done,
                                static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail(std::string("cannot read the file: ") + std::strerror(errno));
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::string InputFile::ReadAll(
    const std::function<void(std::string_view)>& inspect) {
  if (regular_) {
    ReaderBudget::CheckFileSize(path_, size_);
    buffer_.reserve(static_cast<std::size_t>(size_));
  } else {
    // A stream of unknown length: room for the most it may bring, so that
    // growing never holds two copies. Pages not written are never touched.
    buffer_.reserve(
        static_cast<std::size_t>(ReaderBudget::CurrentLimits().file_bytes));
  }
  Fill(kChunk);
  if (inspect) inspect(buffer_);
  Fill(static_cast<std::size_t>(-1));
  return std::move(buffer_);
}

}  // namespace kestrilo
