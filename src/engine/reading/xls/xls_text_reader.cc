// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_text_reader.h"

namespace kestrilo {

void XlsTextReader::Read(BiffRecordReader& reader, bool long_count,
                         std::string* out) {
  if (biff8_) return ReadUnicode(reader, long_count, out);
  const std::size_t count = long_count ? reader.U16() : reader.U8();
  const std::string_view bytes = reader.ReadBytes(count, &scratch_);
  out->clear();
  Decode(bytes, out);
}

void XlsTextReader::ReadUnicode(BiffRecordReader& reader, bool long_count,
                                std::string* out) {
  const std::size_t count = long_count ? reader.U16() : reader.U8();
  const std::uint8_t options = reader.U8();
  const std::uint16_t runs = (options & 0x08) ? reader.U16() : 0;
  const std::uint32_t phonetic = (options & 0x04) ? reader.U32() : 0;
  reader.ReadCharacters(count, (options & 0x01) != 0, &units_);
  reader.Skip(4ull * runs);
  reader.Skip(phonetic);
  out->clear();
  AppendUtf16AsUtf8(units_, out);
}

void XlsTextReader::Decode(std::string_view bytes, std::string* out) {
  // The decoder is built when first needed, as building one costs a table.
  if (!decoder_ || decoder_code_page_ != code_page_) {
    decoder_.emplace(code_page_);
    decoder_code_page_ = code_page_;
  }
  decoder_->Append(bytes, out);
}

}  // namespace kestrilo
