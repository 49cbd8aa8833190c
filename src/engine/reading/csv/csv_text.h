// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/reading/csv/csv_encoding.h"
#include "engine/reading/csv/csv_input.h"

namespace kestrilo {

/// The text of a delimited text file as UTF-8, piece by piece: UTF-8 read
/// straight into the text, any other encoding converted a piece at a time,
/// a character cut at the end of a piece joined to the next.
///
/// The encoding is decided on the whole file, yet most files are read only
/// once: plain ASCII reads the same in every single-byte encoding, so it is
/// handed on as it comes, and the deciding pass over the rest of the file
/// runs only at the first byte beyond ASCII. UTF-16 is decided first.
class CsvText {
 public:
  explicit CsvText(CsvInput& input);
  CsvText(const CsvText&) = delete;
  CsvText& operator=(const CsvText&) = delete;

  /// Appends the next piece of text (about CsvInput::kPiece bytes) to
  /// `text`; false, appending nothing, once the text has ended. Throws
  /// WorkbookError for an empty file and for text holding NUL.
  bool AppendTo(std::string& text);

 private:
  bool AppendRead(std::string& text);
  // Hands on the plain ASCII of the bytes from `from` of `text`, and
  // decides the encoding at the first byte beyond it.
  void CheckPlain(std::string& text, std::size_t from);
  bool AppendConverted(std::string& text);

  CsvInput& input_;
  CsvEncoding encoding_;
  std::uint64_t offset_ = 0;
  bool started_ = false;
  // Whether encoding_ has been decided on the rest of the file.
  bool decided_ = false;
  bool ended_ = false;
  /// Bytes read but not yet converted: a cut character at the front.
  std::unique_ptr<char[]> raw_;
  std::size_t carried_ = 0;
};

}  // namespace kestrilo
