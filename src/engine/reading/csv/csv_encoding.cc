// SPDX-License-Identifier: MIT

#include "engine/reading/csv/csv_encoding.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/input/workbook_error.h"
#include "engine/text/text_decoding.h"

namespace kestrilo {

namespace {

using Kind = CsvEncoding::Kind;

constexpr const char* kNotText =
    "not a text file: it holds NUL bytes (a binary file with a text-file "
    "extension?)";

// Bytes of a character cut at the end of a piece, carried to the next.
constexpr std::size_t kMostCarried = 3;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// UTF-16 written without a byte-order mark shows itself by zero bytes in
// every other position of mostly-ASCII text. Returns 1 for little endian,
// 2 for big endian, 0 otherwise.
int GuessUtf16(std::string_view bytes) {
  const std::size_t sample = std::min<std::size_t>(bytes.size(), 4096) & ~1u;
  if (sample < 2) return 0;
  std::size_t zero_even = 0, zero_odd = 0;
  for (std::size_t i = 0; i < sample; i += 2) {
    zero_even += bytes[i] == '\0';
    zero_odd += bytes[i + 1] == '\0';
  }
  const std::size_t pairs = sample / 2;
  if (zero_even == 0 && zero_odd * 2 >= pairs) return 1;
  if (zero_odd == 0 && zero_even * 2 >= pairs) return 2;
  return 0;
}

bool IsUtf16(Kind kind) {
  return kind == Kind::kUtf16Le || kind == Kind::kUtf16Be;
}

// Whether the text holds a NUL character: a zero byte, or in UTF-16 a
// zero unit.
bool HoldsNul(Kind kind, std::string_view bytes) {
  if (!IsUtf16(kind)) {
    return std::memchr(bytes.data(), '\0', bytes.size()) != nullptr;
  }
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == '\0' && bytes[i + 1] == '\0') return true;
  }
  return false;
}

}  // namespace

std::size_t WholeCharacters(Kind kind, std::string_view bytes) {
  switch (kind) {
    case Kind::kUtf8:
    case Kind::kRepairedUtf8:
      return WholeUtf8Prefix(bytes);
    case Kind::kUtf16Le:
    case Kind::kUtf16Be: {
      std::size_t whole = bytes.size() & ~std::size_t{1};
      if (whole < 2) return whole;
      // A high surrogate waits for the low one that may follow.
      const auto high = static_cast<unsigned char>(
          bytes[kind == Kind::kUtf16Le ? whole - 1 : whole - 2]);
      return high >= 0xD8 && high <= 0xDB ? whole - 2 : whole;
    }
    case Kind::kWindows1252:
      break;
  }
  return bytes.size();
}

void AppendDecoded(Kind kind, std::string_view bytes, std::string& text) {
  switch (kind) {
    case Kind::kUtf8:
      text.append(bytes);
      return;
    case Kind::kRepairedUtf8:
      text += RepairUtf8(bytes);
      return;
    case Kind::kUtf16Le:
    case Kind::kUtf16Be:
      text += Utf16ToUtf8(bytes, kind == Kind::kUtf16Be);
      return;
    case Kind::kWindows1252:
      text += Windows1252ToUtf8(bytes);
      return;
  }
}

CsvEncoding CsvEncodingFromStart(std::string_view head) {
  if (StartsWith(head, "\xEF\xBB\xBF")) return {Kind::kUtf8, 3};
  if (StartsWith(head, "\xFF\xFE")) return {Kind::kUtf16Le, 2};
  if (StartsWith(head, "\xFE\xFF")) return {Kind::kUtf16Be, 2};
  const int utf16 = GuessUtf16(head);
  if (utf16 == 1) return {Kind::kUtf16Le, 0};
  if (utf16 == 2) return {Kind::kUtf16Be, 0};
  return {Kind::kUtf8, 0};
}

CsvEncoding DecideCsvEncoding(CsvInput& input, CsvEncoding start,
                              std::uint64_t from) {
  // A piece that stays in the cache while it is checked.
  constexpr std::size_t kPiece = std::size_t{128} << 10;
  std::unique_ptr<char[]> buffer(new char[kPiece + kMostCarried]);
  CsvEncoding encoding = start;
  bool utf8 = true;
  std::size_t carried = 0;
  std::uint64_t offset = from;
  for (;;) {
    const std::size_t got =
        input.ReadAt(offset, buffer.get() + carried, kPiece);
    const bool last = got < kPiece;
    const std::string_view bytes(buffer.get(), carried + got);
    offset += got;
    const std::size_t whole =
        last ? bytes.size() : WholeCharacters(encoding.kind, bytes);
    const std::string_view checked = bytes.substr(0, whole);
    if (HoldsNul(encoding.kind, checked)) FailNotText(input.path());
    if (utf8 && !IsUtf16(encoding.kind)) utf8 = IsValidUtf8(checked);
    carried = bytes.size() - whole;
    std::memmove(buffer.get(), bytes.data() + whole, carried);
    if (last) break;
  }
  encoding.size = offset;
  if (!utf8) {
    encoding.kind =
        encoding.skip == 0 ? Kind::kWindows1252 : Kind::kRepairedUtf8;
  }
  return encoding;
}

std::size_t PlainAsciiPrefix(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  std::size_t i = 0;
  // Eight bytes at a time: none has its high bit set, and none is zero.
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + i, 8);
    if ((word | ((word - kOnes) & ~word)) & kHighs) break;
  }
  while (i < size && data[i] != 0 && data[i] < 0x80) ++i;
  return i;
}

void FailNotText(const std::string& path) {
  throw WorkbookError(path, kNotText);
}

std::function<void(std::string_view)> CheckCsvStart(const std::string& path) {
  return [path](std::string_view start) {
    if (std::memchr(start.data(), '\0', start.size()) == nullptr) return;
    if (StartsWith(start, "\xFF\xFE") || StartsWith(start, "\xFE\xFF") ||
        GuessUtf16(start) != 0) {
      return;
    }
    FailNotText(path);
  };
}

}  // namespace kestrilo
