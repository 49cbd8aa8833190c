// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrilo {

/// Turns the 8-bit texts of older Excel files (Windows, DOS and Macintosh
/// code pages, and the East Asian double-byte ones) into UTF-8.
class CodePageDecoder {
 public:
  /// `code_page` is the Windows code page number a workbook declares
  /// (1252, 1250, 10000 ...). Unknown numbers decode as Windows-1252.
  explicit CodePageDecoder(int code_page);

  int code_page() const { return code_page_; }
  /// Appends `bytes`, decoded, to `out`. Bytes the code page leaves
  /// undefined become U+FFFD (or, in Windows-1252, their Latin-1 twins).
  void Append(std::string_view bytes, std::string* out) const;

 private:
  void BuildTable(const char* iconv_name);
  void AppendMultiByte(std::string_view bytes, std::string* out) const;

  int code_page_;
  bool multi_byte_ = false;
  const char* iconv_name_ = nullptr;
  // For single-byte code pages: the code point of each byte.
  std::array<std::uint32_t, 256> table_{};
};

}  // namespace kestrilo
