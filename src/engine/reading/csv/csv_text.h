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
class CsvText {
 public:
  /// `encoding` as FindCsvEncoding() decided it for `input`.
  CsvText(CsvInput& input, const CsvEncoding& encoding);
  CsvText(const CsvText&) = delete;
  CsvText& operator=(const CsvText&) = delete;

  /// Appends the next piece of text (about CsvInput::kPiece bytes) to
  /// `text`; false, appending nothing, once the text has ended.
  bool AppendTo(std::string& text);

 private:
  bool AppendConverted(std::string& text);

  CsvInput& input_;
  CsvEncoding encoding_;
  std::uint64_t offset_;
  bool ended_ = false;
  /// Bytes read but not yet converted: a cut character at the front.
  std::unique_ptr<char[]> raw_;
  std::size_t carried_ = 0;
};

}  // namespace kestrilo
