// SPDX-License-Identifier: MIT

#include "engine/writing/cell_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

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

// Integers and short decimals take a quicker road than the general
// conversion; both must give exactly the text of printf("%.15g").
TEST(CellTextTest, NumbersMatchTheGeneralFormWhateverTheRoad) {
  const auto printed = [](double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value == 0 ? 0.0 : value);
    return std::string(text);
  };
  std::vector<double> values = {1e15,
                                1e15 - 1,
                                1e15 - 0.5,
                                999999999999999.4,
                                1e16,
                                1e-4,
                                1e-7,
                                0.1 + 0.2,
                                1.0 / 3,
                                4.9e-324,
                                1e300,
                                125.99,
                                0.0001,
                                99999.99999999999,
                                12345678901234.5,
                                0.00012345678901234567};
  std::mt19937_64 random(15);
  for (int i = 0; i < 20000; ++i) {
    const auto digits = static_cast<std::int64_t>(random() >> (random() % 64));
    values.push_back(static_cast<double>(digits));
    values.push_back(static_cast<double>(digits % 100000000) /
                     std::pow(10.0, static_cast<int>(random() % 16)));
    double any;
    const std::uint64_t bits = random();
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) values.push_back(any);
  }
  for (const double value : values) {
    for (const double signed_value : {value, -value}) {
      ASSERT_EQ(CellText(CellValue::Number(signed_value)),
                printed(signed_value))
          << signed_value;
      ASSERT_EQ(CellText(CellValue::Number(std::nextafter(signed_value, 0))),
                printed(std::nextafter(signed_value, 0)));
    }
  }
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
  EXPECT_EQ(CellText(CellValue::DateTime(2958466)), "10000-01-01");
  EXPECT_EQ(CellText(CellValue::DateTime(-693960)), "-0001-12-31");
  EXPECT_EQ(CellText(CellValue::DateTime(-700000.5)), "-0017-06-17 12:00:00");
}

TEST(CellTextTest, EscapingReplacesOnlyTheThreeCharacters) {
  std::string out;
  AppendEscaped("Smith & Sons <b> \"q\" 'a'", out);
  EXPECT_EQ(out, "Smith &amp; Sons &lt;b&gt; \"q\" 'a'");
}

// Texts are looked at many bytes at a time: whatever its length, and
// wherever in it a byte that needs escaping lies (or one beside those in
// value: "=", "?", "\x7F", "'"), the text comes out as one byte at a time
// would write it.
TEST(CellTextTest, EscapingFindsEveryByteWhereverItLies) {
  const auto plain = [](std::string_view text) {
    std::string out;
    for (const char c : text) {
      out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : "";
      if (c != '&' && c != '<' && c != '>') out += c;
    }
    return out;
  };
  const std::string r = "\xEF\xBF\xBD";
  for (std::size_t size = 1; size <= 40; ++size) {
    for (std::size_t at = 0; at < size; ++at) {
      for (const char c : {'&', '<', '>', '=', '?', '\x7F', '\'', '\x1F'}) {
        std::string text(size, 'x');
        text[at] = c;
        std::string out;
        AppendEscaped(text, out);
        const std::string wanted =
            c == '\x1F'
                ? std::string(at, 'x') + r + std::string(size - at - 1, 'x')
                : plain(text);
        ASSERT_EQ(out, wanted) << size << " " << at << " " << int(c);
      }
      std::string text(size, 'y');
      text[at] = '\xC3';  // a sequence cut short
      std::string out;
      AppendEscaped(text, out);
      ASSERT_EQ(out, text.substr(0, at) + r + text.substr(at + 1)) << size;
    }
  }
}

// Control characters but TAB, LF and CR, and U+FFFE / U+FFFF, have no form
// in XML 1.0, not even a character reference: each becomes U+FFFD.
TEST(CellTextTest, EscapingReplacesWhatXmlCannotHold) {
  const std::string text(
      "a\x00"
      "b\x01\x08\x0B\x0C\x0E\x1F|\t\n\r|"
      "\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD\x7F&",
      25);
  std::string out;
  AppendEscaped(text, out);
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(out, "a" + r + "b" + r + r + r + r + r + r + "|\t\n\r|" + r + r +
                     r + "\x7F&amp;");
  EXPECT_TRUE(HoldsCharactersXmlCannot(text));
  EXPECT_TRUE(HoldsCharactersXmlCannot("\xEF\xBF\xBF"));
  EXPECT_FALSE(HoldsCharactersXmlCannot("tab\tline\r\n\xEF\xBF\xBD \xC3\xA9"));
}

// Bytes that are not UTF-8 would make the whole file unreadable to a parser.
TEST(CellTextTest, EscapingReplacesBytesThatAreNotUtf8) {
  const std::string r = "\xEF\xBF\xBD";
  const auto escaped = [](std::string_view text) {
    std::string out;
    AppendEscaped(text, out);
    return out;
  };
  EXPECT_EQ(escaped("caf\xE9!"), "caf" + r + "!");        // Latin-1
  EXPECT_EQ(escaped("\xC0\xAF"), r + r);                  // overlong
  EXPECT_EQ(escaped("\xED\xA0\x80x"), r + "x");           // surrogate
  EXPECT_EQ(escaped("\xF4\x90\x80\x80"), r + r + r + r);  // beyond U+10FFFF
  EXPECT_EQ(escaped("cut \xE6\x9D"), "cut " + r + r);
  EXPECT_EQ(escaped("\xF0\x9F\x8D\x8E \xE6\x9D\xB1"),  // kept whole
            "\xF0\x9F\x8D\x8E \xE6\x9D\xB1");
  // Long texts are escaped part by part, never cutting a character.
  std::string long_text = "x", long_wanted = "x";
  for (int i = 0; i < 5000; ++i) long_text += "\xC3\xA9";
  long_wanted += long_text.substr(1);
  for (int i = 0; i < 5000; ++i) {
    long_text += '\x80';
    long_wanted += r;
  }
  EXPECT_EQ(escaped(long_text), long_wanted);
  EXPECT_TRUE(HoldsCharactersXmlCannot("\xEF\xBF"));
  EXPECT_FALSE(HoldsCharactersXmlCannot("\xF0\x9F\x8D\x8E"));
  std::string name;
  AppendTagName(
      "a\xFF"
      "b \xC3\xA9",
      true, name);
  EXPECT_EQ(name, "a" + r + "b\xC3\xA9");
}

TEST(CellTextTest, SafeTagNamesCarryNoMarkup) {
  std::string out;
  AppendTagName("role></role><admin>true</admin><role", true, out);
  EXPECT_EQ(out, "role___role__admin_true__admin__role");
  out.clear();
  AppendTagName("a b=\"c\" d='e' &f;\x01g", true, out);
  EXPECT_EQ(out, "ab__c_d__e__f;\xEF\xBF\xBDg");
  out.clear();
  AppendTagName("Unit\tPrice \xC3\xA9", true, out);  // the rest stays
  EXPECT_EQ(out, "Unit\tPrice\xC3\xA9");
  out.clear();
  AppendTagName("a <b>\x01", false, out);  // raw: only spaces go
  EXPECT_EQ(out, "a<b>\x01");
}

TEST(CellTextTest, MakeNameValidPrefixesAndReplaces) {
  const auto valid = [](std::string name) {
    MakeNameValid(name);
    return name;
  };
  EXPECT_EQ(valid("2"), "_2");
  EXPECT_EQ(valid("2021Sales"), "_2021Sales");
  EXPECT_EQ(valid(""), "_");
  EXPECT_EQ(valid("-x"), "_-x");
  // A colon anywhere would make a prefixed name that namespace-aware
  // parsers refuse.
  EXPECT_EQ(valid(":x"), "__x");
  EXPECT_EQ(valid("a:b"), "a_b");
  EXPECT_EQ(valid("TestData:"), "TestData_");
  EXPECT_EQ(valid("255:10:10"), "_255_10_10");
  // A valid name stays as it is, marks inside it too.
  EXPECT_EQ(valid("_a-c.d9"), "_a-c.d9");
  EXPECT_EQ(valid("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");  // été
  EXPECT_EQ(valid("\xE6\x9D\xB1\xE4\xBA\xAC"), "\xE6\x9D\xB1\xE4\xBA\xAC");
  // Characters the fifth edition allows but earlier parsers refuse are
  // replaced too: the euro sign, U+3001, anything beyond U+FFFF.
  EXPECT_EQ(valid("Price\xE2\x82\xAC"), "Price_");
  EXPECT_EQ(valid("a\xE3\x80\x81"
                  "b"),
            "a_b");
  EXPECT_EQ(valid("\xF0\x90\x80\x80"), "__");
  // U+00B7 may follow but not start a name.
  EXPECT_EQ(valid("a\xC2\xB7"), "a\xC2\xB7");
  EXPECT_EQ(valid("\xC2\xB7"
                  "a"),
            "_\xC2\xB7"
            "a");
  // One "_" per character, however many bytes it takes.
  EXPECT_EQ(valid("a%b"), "a_b");
  EXPECT_EQ(valid("Why\xC2\xBF"), "Why_");  // U+00BF
  EXPECT_EQ(valid("a\xC3\x97"
                  "b"),
            "a_b");                         // U+00D7
  EXPECT_EQ(valid("x\xEF\xBF\xBE"), "x_");  // U+FFFE
  EXPECT_EQ(valid("a\x80"
                  "b\xFF"),
            "a_b_");  // not UTF-8
  EXPECT_EQ(valid("a<b>&\"'/=\t"), "a_b_______");
  EXPECT_EQ(valid("\xC3\x97x"), "__x");
  // Only the name after `start` is looked at.
  const auto valid_after_one = [](std::string name) {
    MakeNameValid(name, 1);
    return name;
  };
  EXPECT_EQ(valid_after_one("<1A"), "<_1A");
  EXPECT_EQ(valid_after_one("<"), "<_");
}

}  // namespace
}  // namespace kestrilo
