// SPDX-License-Identifier: MIT

#include "engine/reading/csv/csv_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/input/workbook_error.h"

namespace kestrilo {

namespace {

constexpr std::size_t kPiece = CsvInput::kPiece;
constexpr std::size_t kMostCarried = 3;

}  // namespace

CsvText::CsvText(CsvInput& input) : input_(input) {}

bool CsvText::AppendTo(std::string& text) {
  const std::size_t before = text.size();
  // A piece may give no text: a byte-order mark alone, or bytes left to be
  // converted.
  while (text.size() == before) {
    if (!started_) {
      started_ = true;
      // A file of zero bytes is more likely a failed copy or download than
      // a table: say so rather than show an empty sheet.
      if (!AppendRead(text)) {
        throw WorkbookError(input_.path(), "the file is empty");
      }
    } else if (encoding_.kind != CsvEncoding::Kind::kUtf8) {
      if (!AppendConverted(text)) return false;
    } else if (!AppendRead(text)) {
      return false;
    }
  }
  return true;
}

// UTF-8 and plain ASCII need no conversion: the piece is read where the
// text ends.
bool CsvText::AppendRead(std::string& text) {
  if (ended_ || offset_ >= encoding_.size) return false;
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::uint64_t>(kPiece, encoding_.size - offset_));
  const std::size_t held = text.size();
  text.resize(held + want);
  const std::size_t got = input_.ReadAt(offset_, text.data() + held, want);
  text.resize(held + got);
  const bool first = offset_ == 0;
  offset_ += got;
  // A file cut short since the encoding was decided ends where it ends.
  if (got < want) ended_ = true;
  if (got == 0) return false;
  if (first) {
    encoding_ = CsvEncodingFromStart(std::string_view(text).substr(held));
    const std::size_t skip = std::min(encoding_.skip, got);
    text.erase(held, skip);
    if (encoding_.kind != CsvEncoding::Kind::kUtf8) {
      // UTF-16 is converted from its start, once the whole file is known
      // to hold no NUL.
      text.resize(held);
      encoding_ = DecideCsvEncoding(input_, encoding_, skip);
      decided_ = true;
      offset_ = skip;
      ended_ = false;
      return true;
    }
  }
  if (!decided_) CheckPlain(text, held);
  return true;
}

void CsvText::CheckPlain(std::string& text, std::size_t from) {
  const std::string_view fresh = std::string_view(text).substr(from);
  const std::size_t plain = PlainAsciiPrefix(fresh);
  if (plain == fresh.size()) return;
  if (fresh[plain] == '\0') FailNotText(input_.path());
  const std::uint64_t at = offset_ - (fresh.size() - plain);
  encoding_ = DecideCsvEncoding(input_, encoding_, at);
  decided_ = true;
  if (encoding_.kind == CsvEncoding::Kind::kUtf8) {
    // Bytes read beyond the end the deciding pass met are not the file's.
    if (encoding_.size < offset_) {
      text.resize(text.size() - (offset_ - encoding_.size));
      offset_ = encoding_.size;
    }
    return;
  }
  // From here on the bytes are converted.
  text.resize(from + plain);
  offset_ = at;
  ended_ = false;
}

bool CsvText::AppendConverted(std::string& text) {
  if (!raw_) raw_.reset(new char[kPiece + kMostCarried]);
  const std::size_t before = text.size();
  while (!ended_ && text.size() == before) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(
        kPiece, encoding_.size - std::min(offset_, encoding_.size)));
    const std::size_t got =
        want == 0 ? 0 : input_.ReadAt(offset_, raw_.get() + carried_, want);
    offset_ += got;
    ended_ = got < want || offset_ >= encoding_.size;
    const std::string_view bytes(raw_.get(), carried_ + got);
    const std::size_t whole =
        ended_ ? bytes.size() : WholeCharacters(encoding_.kind, bytes);
    AppendDecoded(encoding_.kind, bytes.substr(0, whole), text);
    carried_ = bytes.size() - whole;
    std::memmove(raw_.get(), bytes.data() + whole, carried_);
  }
  return text.size() > before;
}

}  // namespace kestrilo
