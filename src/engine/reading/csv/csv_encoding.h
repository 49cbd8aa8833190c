// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/reading/csv/csv_input.h"

namespace kestrilo {

/// How the bytes of a delimited text file become UTF-8 text. It is decided
/// on the whole file: a single byte that is not UTF-8, wherever it lies,
/// makes all of a file without byte-order mark Windows-1252.
struct CsvEncoding {
  enum class Kind : std::uint8_t {
    kUtf8,          // taken as it is
    kRepairedUtf8,  // after a UTF-8 byte-order mark: bad bytes become U+FFFD
    kUtf16Le,
    kUtf16Be,
    kWindows1252,
  };
  Kind kind = Kind::kUtf8;
  /// The bytes of the byte-order mark, which are no text.
  std::size_t skip = 0;
  /// The bytes of the file that are read: those the deciding pass met (all
  /// there are, while none has been made).
  std::uint64_t size = UINT64_MAX;
};

/// What the first bytes of a file tell: a byte-order mark, or UTF-16 from
/// the zero bytes of mostly-ASCII text. kUtf8 without a mark stands for any
/// encoding of single bytes until DecideCsvEncoding() has seen the rest.
CsvEncoding CsvEncodingFromStart(std::string_view head);

/// The deciding pass: reads the input from `from` to its end, piece by
/// piece, and returns `start` with the size read and, for single bytes,
/// the kind the bytes call for. `from` begins a character, and the bytes
/// before it are plain ASCII. Throws WorkbookError for text holding NUL.
CsvEncoding DecideCsvEncoding(CsvInput& input, CsvEncoding start,
                              std::uint64_t from);

/// The length of the start of `bytes` that is plain ASCII without NUL:
/// text that reads the same in every single-byte encoding.
std::size_t PlainAsciiPrefix(std::string_view bytes);

/// Throws WorkbookError naming `path`: the file holds NUL bytes.
[[noreturn]] void FailNotText(const std::string& path);

/// The length of the start of `bytes` that decodes alone in `kind`: what
/// follows (part of a character) belongs to the bytes after them.
std::size_t WholeCharacters(CsvEncoding::Kind kind, std::string_view bytes);

/// `bytes`, whole characters in `kind`, appended to `text` as UTF-8.
void AppendDecoded(CsvEncoding::Kind kind, std::string_view bytes,
                   std::string& text);

/// A check of a text file's first bytes, for InputFile::ReadAll(): refuses
/// at once what is plainly no text (NUL bytes outside UTF-16), so that an
/// endless binary stream is not read up to the budget first.
std::function<void(std::string_view)> CheckCsvStart(const std::string& path);

}  // namespace kestrilo
