// SPDX-License-Identifier: MIT

#include "engine/reading/csv/csv_parser.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/input/workbook_error.h"
#include "engine/reading/csv/csv_input.h"

namespace kestrilo {

namespace {

// "sep=X", a line end, and a byte more.
constexpr std::size_t kSeparatorLineBytes = 8;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Excel's own convention: a first line "sep=X" names the delimiter and is
// no data. Returns the number of bytes to skip (0 when there is no such
// line) and sets `delimiter`. `text` holds at least kSeparatorLineBytes or
// all of the text.
std::size_t SeparatorLine(std::string_view text, char& delimiter) {
  if (text.size() < 5 ||
      !(StartsWith(text, "sep=") || StartsWith(text, "SEP="))) {
    return 0;
  }
  std::size_t end = 5;
  if (end < text.size() && text[end] != '\r' && text[end] != '\n') return 0;
  if (text[4] == '\r' || text[4] == '\n' || text[4] == '"') return 0;
  delimiter = text[4];
  if (end < text.size() && text[end] == '\r') ++end;
  if (end < text.size() && text[end] == '\n') ++end;
  return end;
}

// The delimiter is whichever of ',' ';' and TAB occurs most often outside
// quotes in the first record; ties go to ',' before ';' before TAB, and a
// record without any of them is one column (','). Nothing while the first
// record has not ended in `text` and more may come (`complete` false).
std::optional<char> DetectDelimiter(std::string_view text, bool complete) {
  std::size_t commas = 0, semicolons = 0, tabs = 0;
  bool quoted = false, ended = complete;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      if (c == '\n' || c == '\r') {
        ended = true;
        break;
      }
      commas += c == ',';
      semicolons += c == ';';
      tabs += c == '\t';
    }
  }
  if (!ended) return std::nullopt;
  if (semicolons > commas && semicolons >= tabs) return ';';
  if (tabs > commas && tabs > semicolons) return '\t';
  return ',';
}

}  // namespace

CsvParser::CsvParser(const std::string& path, CsvText& text)
    : path_(path), source_(text) {}

void CsvParser::SendRows(RowSink& sink) {
  while (!ended_ && text_.size() < kSeparatorLineBytes) More();
  char delimiter = 0;
  pos_ = record_start_ = SeparatorLine(text_, delimiter);
  SetDelimiter(delimiter != 0 ? delimiter : FindDelimiter());
  for (;;) {
    switch (ParseRecord()) {
      case Step::kEnd:
        return;
      case Step::kNeedMore:
        More();
        break;
      case Step::kRecord:
        Send(sink);
        break;
    }
  }
}

void CsvParser::More() {
  text_.erase(0, record_start_);
  pos_ -= record_start_;
  record_start_ = 0;
  const std::size_t held = text_.size();
  const std::size_t want = std::max(CsvInput::kPiece, held);
  while (!ended_ && text_.size() - held < want) {
    if (!source_.AppendTo(text_)) ended_ = true;
  }
}

char CsvParser::FindDelimiter() {
  for (;;) {
    const std::optional<char> delimiter =
        DetectDelimiter(std::string_view(text_).substr(pos_), ended_);
    if (delimiter) return *delimiter;
    More();
  }
}

void CsvParser::SetDelimiter(char delimiter) {
  delimiter_ = delimiter;
  for (const char c : {delimiter, '\r', '\n', '\0'}) {
    stops_[static_cast<unsigned char>(c)] = true;
  }
}

const char* CsvParser::FieldEnd(const char* p, const char* end) const {
  for (;;) {
#ifdef __SSE2__
    // Most fields are short: one look at 16 bytes usually finds the end.
    const __m128i delimiter = _mm_set1_epi8(delimiter_);
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i found = _mm_or_si128(
          _mm_or_si128(_mm_cmpeq_epi8(v, delimiter), _mm_cmpeq_epi8(v, cr)),
          _mm_or_si128(_mm_cmpeq_epi8(v, lf),
                       _mm_cmpeq_epi8(v, _mm_setzero_si128())));
      const int mask = _mm_movemask_epi8(found);
      if (mask != 0) {
        p += __builtin_ctz(static_cast<unsigned>(mask));
        break;
      }
      p += 16;
    }
#endif
    while (!stops_[static_cast<unsigned char>(*p)]) ++p;
    // A NUL short of the end is text that changed since it was checked.
    if (*p != '\0' || p == end) return p;
    ++p;
  }
}

CsvParser::Step CsvParser::ParseRecord() {
  const char* const begin = text_.data();
  const char* const end = begin + text_.size();
  const char* p = begin + pos_;
  if (skip_lf_) {
    if (p == end) return ended_ ? Step::kEnd : Step::kNeedMore;
    if (*p == '\n') ++p;
    skip_lf_ = false;
    pos_ = record_start_ = static_cast<std::size_t>(p - begin);
  }
  if (p == end) return ended_ ? Step::kEnd : Step::kNeedMore;
  cells_.clear();
  scratch_.clear();
  copied_.clear();
  std::int64_t column = 1;
  for (;;) {
    const char* stop;
    if (*p == '"') {
      stop = QuotedField(p, end, column);
      if (stop == nullptr) return Step::kNeedMore;
    } else {
      stop = FieldEnd(p, end);
      if (stop == end && !ended_) return Step::kNeedMore;
      Put(column, std::string_view(p, static_cast<std::size_t>(stop - p)));
    }
    if (stop == end) {
      p = end;
      break;
    }
    const char c = *stop;
    p = stop + 1;
    if (c == delimiter_) {
      ++column;
      if (p != end) continue;
      if (!ended_) return Step::kNeedMore;
      break;
    }
    skip_lf_ = c == '\r';
    break;
  }
  pos_ = record_start_ = static_cast<std::size_t>(p - begin);
  return Step::kRecord;
}

const char* CsvParser::QuotedField(const char* p, const char* end,
                                   std::int64_t column) {
  const std::size_t start = scratch_.size();
  bool copied = false;
  const char* q = p + 1;
  const char* close = end;  // the closing quote; the end when it has none
  for (;;) {
    const auto* quote = static_cast<const char*>(
        std::memchr(q, '"', static_cast<std::size_t>(end - q)));
    if (quote == nullptr) {
      if (!ended_) return nullptr;
      break;
    }
    // A quote at the end of the text so far closes the field only if the
    // text ends there: otherwise the field's end, awaited below, is not
    // here yet either.
    if (quote + 1 == end || quote[1] != '"') {
      close = quote;
      break;
    }
    scratch_.append(q, quote + 1);
    copied = true;
    q = quote + 2;
  }
  const char* rest = close == end ? end : close + 1;
  const char* stop = FieldEnd(rest, end);
  if (stop == end && !ended_) return nullptr;
  if (!copied && rest == stop) {
    Put(column, std::string_view(q, static_cast<std::size_t>(close - q)));
  } else {
    scratch_.append(q, close);
    scratch_.append(rest, stop);
    PutCopied(column, start, scratch_.size() - start);
  }
  return stop;
}

void CsvParser::FailPlace() const {
  if (row_ > kMaxRows) {
    throw WorkbookError(path_, "the file has more than " +
                                   std::to_string(kMaxRows) +
                                   " records, more than a worksheet holds");
  }
  throw WorkbookError(path_, "record " + std::to_string(row_) +
                                 " has more than " +
                                 std::to_string(kMaxColumns) +
                                 " fields, more than a worksheet holds");
}

void CsvParser::PutCopied(std::int64_t column, std::size_t offset,
                          std::size_t length) {
  if (length == 0) return;
  CheckPlace(column);
  copied_.push_back({cells_.size(), offset, length});
  cells_.push_back({static_cast<std::int32_t>(column), CellValue::Text({})});
}

void CsvParser::Send(RowSink& sink) {
  if (!cells_.empty()) {
    // The copies are placed once the record is whole: scratch_ may have
    // moved while it grew.
    for (const Copied& copy : copied_) {
      cells_[copy.cell].value.text =
          std::string_view(scratch_.data() + copy.offset, copy.length);
    }
    sink.AddRow(static_cast<std::int32_t>(row_), cells_);
  }
  ++row_;
}

}  // namespace kestrilo
