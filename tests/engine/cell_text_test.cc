#include "engine/cell_text.h"

#include <gtest/gtest.h>

namespace kestrilo {
namespace {

TEST(CellTextTest, NumbersHaveAtMostFifteenSignificantDigits) {
  EXPECT_EQ(CellText(CellValue::Number(1.5)), "1.5");
  EXPECT_EQ(CellText(CellValue::Number(10)), "10");
  EXPECT_EQ(CellText(CellValue::Number(0.1 + 0.2)), "0.3");
  EXPECT_EQ(CellText(CellValue::Number(1e15)), "1e+15");
  EXPECT_EQ(CellText(CellValue::Number(-0.25)), "-0.25");
  EXPECT_EQ(CellText(CellValue::Number(-0.0)), "0");
  EXPECT_EQ(CellText(CellValue::Number(123456789012345678.0)),
            "1.23456789012346e+17");
}

TEST(CellTextTest, BooleansTextsEmptyAndErrors) {
  EXPECT_EQ(CellText(CellValue::Boolean(true)), "True");
  EXPECT_EQ(CellText(CellValue::Boolean(false)), "False");
  EXPECT_EQ(CellText(CellValue::Text("a<b & c")), "a<b & c");
  EXPECT_EQ(CellText(CellValue::Empty()), "");
  EXPECT_EQ(CellText(CellValue::Error("#DIV/0!")), "");
}

TEST(CellTextTest, DatesAndTimes) {
  // 44439 is 2021-08-31 counted from 1899-12-30.
  EXPECT_EQ(CellText(CellValue::DateTime(44439)), "2021-08-31");
  EXPECT_EQ(CellText(CellValue::DateTime(44439 + 13.75 / 24)),
            "2021-08-31 13:45:00");
  EXPECT_EQ(CellText(CellValue::DateTime(13.75 / 24, true)), "13:45:00");
  // Rounded to the nearest second, carrying into the next day.
  EXPECT_EQ(CellText(CellValue::DateTime(44439 + 0.9999999)), "2021-09-01");
  EXPECT_EQ(CellText(CellValue::DateTime(1.5, true)), "36:00:00");
  EXPECT_EQ(CellText(CellValue::DateTime(2)), "1900-01-01");
  EXPECT_EQ(CellText(CellValue::DateTime(-1)), "1899-12-29");
}

TEST(CellTextTest, EscapingReplacesOnlyTheThreeCharacters) {
  std::string out;
  AppendEscaped("Smith & Sons <b> \"q\" 'a'", out);
  EXPECT_EQ(out, "Smith &amp; Sons &lt;b&gt; \"q\" 'a'");
}

}  // namespace
}  // namespace kestrilo
