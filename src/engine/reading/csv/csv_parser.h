// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/row_sink.h"
#include "engine/reading/csv/csv_text.h"

namespace kestrilo {

/// Reads the records of a delimited text (RFC 4180) as it arrives piece by
/// piece and sends each as a row, its fields as texts, holding no more than
/// the record being read and the rest of its piece.
///
/// The delimiter is named by a first line "sep=X" (Excel's convention),
/// or found from the first record among ",", ";" and TAB. It has the
/// leniency of spreadsheet applications: a quote inside an unquoted field
/// is an ordinary character, text after a closing quote belongs to the
/// field, an unterminated quote runs to the end, line breaks inside quotes
/// are kept as they are, and CR LF, LF and CR alone all end a record.
class CsvParser {
 public:
  /// `path` names the file in errors.
  CsvParser(const std::string& path, CsvText& text);
  CsvParser(const CsvParser&) = delete;
  CsvParser& operator=(const CsvParser&) = delete;

  /// Sends every record that has a non-empty field to `sink` as the row of
  /// its number, empty fields left out. Throws WorkbookError for more
  /// records or fields than a worksheet holds.
  void SendRows(RowSink& sink);

 private:
  enum class Step : std::uint8_t { kRecord, kNeedMore, kEnd };

  /// Drops the records read and appends more text: at least a piece, and
  /// as much as is held, so that a record of any length is read again only
  /// a few times. Sets ended_ when there is none.
  void More();
  char FindDelimiter();
  void SetDelimiter(char delimiter);
  /// Reads the record at pos_ into cells_, or says that its end has not
  /// arrived yet (it is then read again from its start), or that the text
  /// has ended.
  Step ParseRecord();
  /// The delimiter or line end that ends the unquoted text at `p`, or
  /// `end`.
  const char* FieldEnd(const char* p, const char* end) const;
  /// Reads the quoted field at `p` (its opening quote); returns what
  /// FieldEnd() does, or null when its end has not arrived.
  const char* QuotedField(const char* p, const char* end, std::int64_t column);
  void Put(std::int64_t column, std::string_view field) {
    if (field.empty()) return;
    CheckPlace(column);
    cells_.push_back(
        {static_cast<std::int32_t>(column), CellValue::Text(field)});
  }
  /// The field of `length` bytes from `offset` of scratch_.
  void PutCopied(std::int64_t column, std::size_t offset, std::size_t length);
  void CheckPlace(std::int64_t column) const {
    if (row_ > kMaxRows || column > kMaxColumns) [[unlikely]] {
      FailPlace();
    }
  }
  [[noreturn]] void FailPlace() const;
  void Send(RowSink& sink);

  const std::string& path_;
  CsvText& source_;
  /// The text from the start of the record being read; the byte after it
  /// is always '\0' (std::string keeps one there).
  std::string text_;
  std::size_t pos_ = 0;
  std::size_t record_start_ = 0;
  bool ended_ = false;
  /// The last record ended with CR: a LF starting the next belongs to it.
  bool skip_lf_ = false;
  char delimiter_ = ',';
  /// The bytes that end an unquoted field: the delimiter, CR, LF, and NUL,
  /// which stands at the end of text_ (and nowhere else in text).
  bool stops_[256] = {};
  // Wider than a sheet's coordinates: a 2 GB file can count past 2^31.
  std::int64_t row_ = 1;
  std::vector<RowCell> cells_;
  /// Fields that are not a plain run of the text (doubled quotes, text
  /// after the closing quote), and where their texts lie in it.
  std::string scratch_;
  struct Copied {
    std::size_t cell;
    std::size_t offset;
    std::size_t length;
  };
  std::vector<Copied> copied_;
};

}  // namespace kestrilo
