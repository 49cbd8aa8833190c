// SPDX-License-Identifier: MIT

#include "engine/reading/xls/biff_record_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrilo {
namespace {

using namespace std::string_view_literals;

TEST(BiffRecordReaderTest, NumbersRunOnAcrossContinuations) {
  BiffRecordReader reader({"\x01\x02\x03"sv, "\x04\x05"sv, ""sv, "\x06"sv});
  EXPECT_EQ(reader.U8(), 1);
  EXPECT_EQ(reader.U32(), 0x05040302u);
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(reader.U8(), 6);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_THROW(reader.U8(), BiffRecordReader::TooShort);
}

TEST(BiffRecordReaderTest, CharactersRestartWithTheirOptionByte) {
  // Two compressed characters, then the continuation switches to wide
  // ones; a second split switches back.
  BiffRecordReader reader({"ab"sv, "\x01\xA9\x03\x00\xD8"sv, "\x00z!"sv});
  std::u16string units;
  reader.ReadCharacters(5, false, &units);
  EXPECT_EQ(units, u"abΩ\xD800z");
  EXPECT_EQ(reader.U8(), '!');
}

TEST(BiffRecordReaderTest, HalfACharacterOrMissingDataIsTooShort) {
  std::u16string units;
  BiffRecordReader half({"\x41"sv});
  EXPECT_THROW(half.ReadCharacters(1, true, &units),
               BiffRecordReader::TooShort);
  BiffRecordReader missing({"ab"sv});
  EXPECT_THROW(missing.ReadCharacters(3, false, &units),
               BiffRecordReader::TooShort);
  BiffRecordReader skip({"ab"sv, "c"sv});
  skip.Skip(3);
  EXPECT_THROW(skip.Skip(1), BiffRecordReader::TooShort);
}

TEST(BiffRecordReaderTest, Utf16BecomesUtf8) {
  std::string out;
  AppendUtf16AsUtf8(u"Aé€\U0001F600", &out);
  EXPECT_EQ(out, "Aé€😀");
  out.clear();
  AppendUtf16AsUtf8(std::u16string(1, u'\xDC00') + u"x", &out);
  EXPECT_EQ(out, "\xEF\xBF\xBDx") << "a lone surrogate is replaced";
}

}  // namespace
}  // namespace kestrilo
