// SPDX-License-Identifier: MIT

#include "engine/model/range_address.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/model/address_error.h"

namespace kestrilo {
namespace {

BlockGeometry Area(std::int32_t first_row, std::int32_t rows,
                   std::int32_t first_column, std::int32_t columns) {
  return BlockGeometry{first_row, rows, first_column, columns};
}

BlockGeometry FirstArea(std::string_view text) {
  return ParseAddress(text).areas.front();
}

TEST(ParseAddressTest, CellsAndRanges) {
  EXPECT_EQ(FirstArea("$B$2:$D$4"), Area(2, 3, 2, 3));
  EXPECT_EQ(FirstArea("B2:D4"), Area(2, 3, 2, 3));
  EXPECT_EQ(FirstArea("b2:d4"), Area(2, 3, 2, 3));
  EXPECT_EQ(FirstArea("$b2:D$4"), Area(2, 3, 2, 3));
  EXPECT_EQ(FirstArea("C7"), Area(7, 1, 3, 1));
  EXPECT_EQ(FirstArea("$XFD$1048576"), Area(1048576, 1, 16384, 1));
  EXPECT_EQ(FirstArea("AA10:AB11"), Area(10, 2, 27, 2));
}

TEST(ParseAddressTest, ReversedCornersAreNormalised) {
  EXPECT_EQ(FirstArea("D4:B2"), Area(2, 3, 2, 3));
  EXPECT_EQ(FirstArea("B4:D2"), Area(2, 3, 2, 3));
  EXPECT_EQ(FirstArea("$C:$A"), Area(1, kMaxRows, 1, 3));
}

TEST(ParseAddressTest, WholeColumnsAndRows) {
  EXPECT_EQ(FirstArea("$A:$C"), Area(1, 1048576, 1, 3));
  EXPECT_EQ(FirstArea("B:B"), Area(1, 1048576, 2, 1));
  EXPECT_EQ(FirstArea("$2:$5"), Area(2, 4, 1, 16384));
  EXPECT_EQ(FirstArea("7:7"), Area(7, 1, 1, 16384));
}

TEST(ParseAddressTest, SheetNames) {
  RangeAddress quoted = ParseAddress("'My Sheet'!$B$2:$D$4");
  EXPECT_EQ(quoted.sheet, "My Sheet");
  EXPECT_EQ(quoted.areas.front(), Area(2, 3, 2, 3));
  EXPECT_EQ(ParseAddress("'Bob''s, data'!A1").sheet, "Bob's, data");
  EXPECT_EQ(ParseAddress("Sheet1!A1:B2").sheet, "Sheet1");
  EXPECT_EQ(ParseAddress("A1").sheet, "");
}

TEST(ParseAddressTest, SeveralAreas) {
  RangeAddress address = ParseAddress("$B$2:$D$4,$F$6,Sheet1!$A:$A");
  ASSERT_EQ(address.areas.size(), 3u);
  EXPECT_EQ(address.areas[0], Area(2, 3, 2, 3));
  EXPECT_EQ(address.areas[1], Area(6, 1, 6, 1));
  EXPECT_EQ(address.areas[2], Area(1, kMaxRows, 1, 1));
  EXPECT_EQ(ParseAddress("'S 1'!A1,'s 1'!B2").areas.size(), 2u);
}

TEST(ParseAddressTest, MalformedTextIsRejected) {
  for (const char* text :
       {"",          "   ",       "B2:",    ":B2",
        "B2:D",      "$A:B2",     "2:B",    "A",
        "5",         "B2 D4",     "B2,,C3", "B2,",
        "$",         "$$B2",      "B$",     "B2!",
        "'Sheet!A1", "'Sheet'A1", "''!A1",  "!A1",
        "B2:C3:D4",  "1A",        "B-2",    "Sheet1!A1,Sheet2!B2"}) {
    EXPECT_THROW(ParseAddress(text), AddressError) << '"' << text << '"';
  }
}

TEST(ParseAddressTest, LimitsAreChecked) {
  EXPECT_NO_THROW(ParseAddress("XFD1048576"));
  for (const char* text :
       {"XFE1", "A1048577", "A0", "$A$0:$B$2", "ZZZZZZZZZZZZZZ1",
        "A99999999999999999999", "$0:$2", "XFE:XFE"}) {
    EXPECT_THROW(ParseAddress(text), AddressError) << text;
  }
}

TEST(ParseAddressTest, MessagesSayWhatIsWrong) {
  auto message = [](std::string_view text) {
    try {
      ParseAddress(text);
    } catch (const AddressError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_NE(message("XFE1").find("XFD"), std::string::npos);
  EXPECT_NE(message("A1048577").find("1048576"), std::string::npos);
  EXPECT_NE(message("A0").find("row 0"), std::string::npos);
  EXPECT_NE(message("B2 D4").find("B2 D4"), std::string::npos);
}

TEST(FormatAddressTest, AbsoluteForms) {
  EXPECT_EQ(FormatArea(Area(2, 3, 2, 3)), "$B$2:$D$4");
  EXPECT_EQ(FormatArea(Area(7, 1, 3, 1)), "$C$7");
  EXPECT_EQ(FormatArea(Area(1, kMaxRows, 1, 3)), "$A:$C");
  EXPECT_EQ(FormatArea(Area(2, 4, 1, kMaxColumns)), "$2:$5");
  EXPECT_EQ(FormatArea(Area(1, kMaxRows, 1, kMaxColumns)), "$1:$1048576");
  EXPECT_EQ(FormatArea(Area(40000, 3, 300, 3)), "$KN$40000:$KP$40002");
  EXPECT_EQ(FormatAddress({Area(2, 3, 2, 3), Area(6, 1, 6, 1)}),
            "$B$2:$D$4,$F$6");
  EXPECT_EQ(FormatAddress({}), "");
}

TEST(FormatAddressTest, RoundTrips) {
  for (const char* text : {"$B$2:$D$4", "$C$7", "$A:$C", "$2:$5",
                           "$XFD$1048576", "$A$1:$XFC$1048575,$Z$9"}) {
    EXPECT_EQ(FormatAddress(ParseAddress(text).areas), text);
  }
}

}  // namespace
}  // namespace kestrilo
