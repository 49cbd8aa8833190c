// SPDX-License-Identifier: MIT

#include "engine/reading/xls/code_page_decoder.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "engine/text/text_decoding.h"

namespace kestrilo {

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

struct CodePageName {
  int code_page;
  const char* iconv_name;
  bool multi_byte;
};

// The code pages Excel writes into CODEPAGE records, by their glibc names.
constexpr CodePageName kCodePages[] = {
    {437, "CP437", false},
    {737, "CP737", false},
    {775, "CP775", false},
    {850, "CP850", false},
    {852, "CP852", false},
    {855, "CP855", false},
    {857, "CP857", false},
    {858, "CP858", false},
    {860, "CP860", false},
    {861, "CP861", false},
    {862, "CP862", false},
    {863, "CP863", false},
    {864, "CP864", false},
    {865, "CP865", false},
    {866, "CP866", false},
    {869, "CP869", false},
    {874, "CP874", false},
    {1250, "CP1250", false},
    {1251, "CP1251", false},
    {1252, "CP1252", false},
    {1253, "CP1253", false},
    {1254, "CP1254", false},
    {1255, "CP1255", false},
    {1256, "CP1256", false},
    {1257, "CP1257", false},
    {1258, "CP1258", false},
    {10000, "MACINTOSH", false},
    {10007, "MAC-CYRILLIC", false},
    {10029, "MAC-CENTRALEUROPE", false},
    {10079, "MAC-IS", false},
    {20866, "KOI8-R", false},
    {21866, "KOI8-U", false},
    {28591, "ISO-8859-1", false},
    {28592, "ISO-8859-2", false},
    {932, "CP932", true},
    {936, "CP936", true},
    {949, "CP949", true},
    {950, "CP950", true},
    {1361, "JOHAB", true},
};

std::uint32_t Utf32At(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) |
         (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

CodePageDecoder::CodePageDecoder(int code_page) : code_page_(code_page) {
  // Excel's names for Windows-1252 (0x8001) and Mac Roman (0x8000).
  if (code_page == 32769 || code_page == 367) code_page_ = 1252;
  if (code_page == 32768) code_page_ = 10000;
  const char* name = "CP1252";
  for (const CodePageName& entry : kCodePages) {
    if (entry.code_page == code_page_) {
      name = entry.iconv_name;
      multi_byte_ = entry.multi_byte;
    }
  }
  iconv_name_ = name;
  if (!multi_byte_) BuildTable(name);
}

void CodePageDecoder::BuildTable(const char* iconv_name) {
  // Latin-1 first: it is also the fallback for bytes a code page leaves
  // undefined (0x81 in Windows-1252 ...), as Excel itself shows them.
  for (std::uint32_t byte = 0; byte < 256; ++byte) table_[byte] = byte;
  iconv_t cd = iconv_open("UTF-32LE", iconv_name);
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  for (std::uint32_t byte = 0x00; byte < 256; ++byte) {
    char in = static_cast<char>(byte);
    unsigned char result[8] = {};
    char* in_ptr = &in;
    std::size_t in_left = 1;
    char* out_ptr = reinterpret_cast<char*>(result);
    std::size_t out_left = sizeof result;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) !=
            static_cast<std::size_t>(-1) &&
        out_left == sizeof result - 4) {
      table_[byte] = Utf32At(result);
    }
  }
  iconv_close(cd);
}

void CodePageDecoder::Append(std::string_view bytes, std::string* out) const {
  if (multi_byte_) {
    AppendMultiByte(bytes, out);
    return;
  }
  for (char c : bytes) AppendUtf8(*out, table_[static_cast<unsigned char>(c)]);
}

void CodePageDecoder::AppendMultiByte(std::string_view bytes,
                                      std::string* out) const {
  iconv_t cd = iconv_open("UTF-32LE", iconv_name_);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (char c : bytes) AppendUtf8(*out, static_cast<unsigned char>(c));
    return;
  }
  std::vector<char> input(bytes.begin(), bytes.end());
  std::vector<unsigned char> buffer(4 * bytes.size() + 16);
  char* in_ptr = input.data();
  std::size_t in_left = input.size();
  while (in_left > 0) {
    char* out_ptr = reinterpret_cast<char*>(buffer.data());
    std::size_t out_left = buffer.size();
    const std::size_t result =
        iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    const std::size_t produced = buffer.size() - out_left;
    for (std::size_t i = 0; i + 4 <= produced; i += 4) {
      AppendUtf8(*out, Utf32At(buffer.data() + i));
    }
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An invalid or cut-off sequence: mark it and go on after its byte.
      AppendUtf8(*out, kReplacement);
      ++in_ptr;
      --in_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
}

}  // namespace kestrilo
