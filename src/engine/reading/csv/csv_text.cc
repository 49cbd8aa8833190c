#include "engine/reading/csv/csv_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kestrilo {

namespace {

constexpr std::size_t kPiece = CsvInput::kPiece;
constexpr std::size_t kMostCarried = 3;

}  // namespace

CsvText::CsvText(CsvInput& input, const CsvEncoding& encoding)
    : input_(input), encoding_(encoding), offset_(encoding.skip) {}

bool CsvText::AppendTo(std::string& text) {
  if (encoding_.kind != CsvEncoding::Kind::kUtf8) return AppendConverted(text);
  if (ended_ || offset_ >= encoding_.size) return false;
  // UTF-8 needs no conversion: the piece is read where the text ends.
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::uint64_t>(kPiece, encoding_.size - offset_));
  const std::size_t held = text.size();
  text.resize(held + want);
  const std::size_t got = input_.ReadAt(offset_, text.data() + held, want);
  text.resize(held + got);
  offset_ += got;
  // A file cut short since the encoding was decided ends where it ends.
  if (got < want) ended_ = true;
  return got > 0;
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
