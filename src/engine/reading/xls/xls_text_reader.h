// SPDX-License-Identifier: MIT

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/reading/xls/biff_record_reader.h"
#include "engine/reading/xls/code_page_decoder.h"

namespace kestrilo {

/// Reads the texts of a BIFF stream as UTF-8: unicode strings in BIFF8,
/// 8-bit texts in the workbook's code page before it.
class XlsTextReader {
 public:
  explicit XlsTextReader(bool biff8) : biff8_(biff8) {}

  bool biff8() const { return biff8_; }
  /// The code page of 8-bit texts from now on (the CODEPAGE record).
  void set_code_page(int code_page) { code_page_ = code_page; }

  /// Reads a text of a cell or format, with a 16-bit (`long_count`) or
  /// 8-bit character count, into `out` (replacing what it held).
  void Read(BiffRecordReader& reader, bool long_count, std::string* out);
  /// Reads a BIFF8 unicode string: a character count, an option byte, the
  /// characters; rich-text runs and phonetic data are skipped.
  void ReadUnicode(BiffRecordReader& reader, bool long_count, std::string* out);
  /// Appends 8-bit text in the code page, decoded.
  void Decode(std::string_view bytes, std::string* out);

 private:
  bool biff8_;
  int code_page_ = 1252;
  std::optional<CodePageDecoder> decoder_;
  int decoder_code_page_ = 0;  // as asked for: the decoder may rename it
  std::u16string units_;
  std::string scratch_;
};

}  // namespace kestrilo
