// SPDX-License-Identifier: MIT

#include "engine/display/compiled_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "engine/display/builtin_formats.h"
#include "engine/display/display_width.h"
#include "engine/display/format_cache.h"
#include "engine/display/general_number.h"
#include "engine/display/value_format.h"

namespace kestrilo {
namespace {

struct ShownCase {
  const char* code;
  int builtin_id;  // the id the workbook named the format by, or -1
  char kind;       // 'n' number, 't' text, 'b' boolean
  double number;
  const char* text;
  const char* shown;
};

#include "number_format_table.inc"

// The value a reader stores for a number under this format.
CellValue ValueOf(const ShownCase& c) {
  if (c.kind == 't') return CellValue::Text(c.text);
  if (c.kind == 'b') return CellValue::Boolean(c.number != 0);
  const ValueFormat format = c.builtin_id >= 0
                                 ? ValueFormatOfBuiltin(c.builtin_id)
                                 : ValueFormatOfCode(c.code);
  return FormattedNumber(c.number, format, false);
}

TEST(CompiledFormatTest, ShowsWhatSpreadsheetsShow) {
  FormatCache cache;
  for (const ShownCase& c : kShownCases) {
    const CompiledFormat& format =
        c.builtin_id >= 0 ? cache.Builtin(c.builtin_id) : cache.Get(c.code);
    const CellValue value = ValueOf(c);
    EXPECT_EQ(format.Text(value), c.shown)
        << "code " << c.code << " (id " << c.builtin_id << "), value "
        << (c.kind == 't' ? c.text : std::to_string(c.number));
  }
}

TEST(CompiledFormatTest, SectionColours) {
  const struct {
    const char* code;
    CellValue value;
    std::uint32_t color;
  } cases[] = {
      {"0.00;[Red]-0.00", CellValue::Number(-1), 0xFFFF0000},
      {"0.00;[Red]-0.00", CellValue::Number(1), 0},
      {"[Blue]0;[Red]0;[Green]0;[Magenta]@", CellValue::Number(0), 0xFF00FF00},
      {"[Blue]0;[Red]0;[Green]0;[Magenta]@", CellValue::Text("x"), 0xFFFF00FF},
      {"[Color 10]0", CellValue::Number(5), 0xFF008000},
      {"[COLOR56]0", CellValue::Number(5), 0xFF333333},
      {"[Color57]0", CellValue::Number(5), 0},
      {"[Red]0", CellValue::Text("text outside any text section"), 0},
      {"[Red]0", CellValue::Boolean(true), 0},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(CompiledFormat(c.code).Render(c.value, out).color, c.color)
        << c.code;
  }
}

TEST(CompiledFormatTest, FillIsLeftOutAndItsPlaceKept) {
  const CompiledFormat format(R"(_("$"* #,##0.00_))");
  std::string out;
  const RenderResult result = format.Render(CellValue::Number(1234.5), out);
  EXPECT_EQ(out, " $1,234.50 ");
  EXPECT_EQ(result.fill_at, 2u);
  EXPECT_EQ(result.fill, " ");
  EXPECT_EQ(CompiledFormat("0.00").Render(CellValue::Number(1), out).fill_at,
            RenderResult::kNoFill);
}

TEST(CompiledFormatTest, DatesReadAsTheModelKeepsThem) {
  const CompiledFormat date("yyyy-mm-dd ddd");
  // A model date counts from 1899-12-30 on a real calendar; a plain number
  // or a time-only value is a spreadsheet serial with its 1900 leap day.
  EXPECT_EQ(date.Text(CellValue::DateTime(61)), "1900-03-01 Thu");
  EXPECT_EQ(date.Text(CellValue::DateTime(2)), "1900-01-01 Mon");
  EXPECT_EQ(date.Text(CellValue::DateTime(-36522)), "1800-01-01 Wed");
  EXPECT_EQ(date.Text(CellValue::Number(60)), "1900-02-29 Wed");
  EXPECT_EQ(date.Text(CellValue::Number(1)), "1900-01-01 Sun");
  EXPECT_EQ(date.Text(CellValue::DateTime(0.5, true)), "1900-01-00 Sat");
  EXPECT_EQ(date.Text(CellValue::DateTime(2958466)), "###");  // 10000-01-01
  EXPECT_EQ(date.Text(CellValue::Number(-1)), "###");

  const CompiledFormat general;
  EXPECT_EQ(general.Text(CellValue::DateTime(45000)), "2023-03-15");
  EXPECT_EQ(general.Text(CellValue::DateTime(45000.5)), "2023-03-15 12:00:00");
  EXPECT_EQ(general.Text(CellValue::DateTime(0.354166666667, true)),
            "08:30:00");
  EXPECT_EQ(general.Text(CellValue::DateTime(1.5, true)), "36:00:00");
  EXPECT_EQ(
      CompiledFormat("hh:mm").Text(CellValue::DateTime(0.3541666667, true)),
      "08:30");
  // A number format on a date shows its serial.
  EXPECT_EQ(CompiledFormat("0.0").Text(CellValue::DateTime(45000.25)),
            "45000.3");
}

TEST(CompiledFormatTest, OtherKindsOfValue) {
  const CompiledFormat format("0.00;-0.00;0.00;\"t:\"@");
  EXPECT_EQ(format.Text(CellValue::Boolean(true)), "TRUE");
  EXPECT_EQ(format.Text(CellValue::Boolean(false)), "FALSE");
  EXPECT_EQ(format.Text(CellValue::Error("#DIV/0!")), "#DIV/0!");
  EXPECT_EQ(format.Text(CellValue::Empty()), "");
  EXPECT_EQ(format.Text(CellValue::Number(std::nan(""))), "###");
}

TEST(CompiledFormatTest, OddAndHostileCodesStillRender) {
  const struct {
    const char* code;
    double value;
    const char* shown;
  } cases[] = {
      {"", 1.5, "1.5"},
      {"\"unclosed", 1, "unclosed"},
      {"[Red", 1, "[Red"},
      {"0;0;0;@;0;0", -2, "2"},  // sections past the fourth are ignored
      {"0.0\\", 1, "1.0"},
      {"*", 1, ""},
      {"[$-F800]", 1, ""},
      {"€ 0", 3, "€ 3"},
      {"0.0000000000000000000000000000000000000000", 0.5,
       "0.5000000000000000000000000000000000000000"},
      {"#,##0", 1e300, nullptr},  // 301 digits, grouped
  };
  for (const auto& c : cases) {
    const std::string text =
        CompiledFormat(c.code).Text(CellValue::Number(c.value));
    if (c.shown != nullptr) {
      EXPECT_EQ(text, c.shown) << c.code;
    }
  }
  const std::string long_code(CompiledFormat::kMaxCodeLength + 1, '0');
  EXPECT_TRUE(CompiledFormat(long_code).is_general());
  EXPECT_EQ(CompiledFormat("#,##0").Text(CellValue::Number(1e300)).size(),
            401u);
}

// A number too large for a fraction's denominator is its own numerator, all
// its digits shown, over 1 (or over the fixed denominator, times it).
TEST(CompiledFormatTest, FractionsOfLargeNumbersShowTheirWholeNumerator) {
  const std::string zeros(308, '0');
  const struct {
    const char* code;
    double value;
    std::string shown;
  } cases[] = {
      {"?/?", 1e20, "100000000000000000000/1"},
      {"?/?", 9.3e18, "9300000000000000000/1"},
      {"?/?", -9.3e18, "-9300000000000000000/1"},
      {"?/?", 1e308, "1" + zeros + "/1"},
      {"?/2", 1e20, "200000000000000000000/2"},
      {"?/2", 4294967295.5, "8589934591/2"},
      {"?/2", 1e308, "2" + zeros + "/2"},
      {"?\?/??", 123456.789, "11111111/90"},
      {"????????\?/?????????", 1e20, "100000000000000000000/1        "},
      {"# ?/?", 1e20, "100000000000000000000    "},
      {"# ?/2", 4294967295.5, "4294967295 1/2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompiledFormat(c.code).Text(CellValue::Number(c.value)), c.shown)
        << c.code << " " << c.value;
  }
}

TEST(GeneralNumberTest, RoundsToTheColumnWidth) {
  const struct {
    double value;
    int width;
    std::optional<std::string> shown;
  } cases[] = {
      {1.0 / 7, 8, "0.142857"},
      {1.0 / 7, 11, "0.142857143"},
      {1.0 / 7, 100, "0.142857143"},
      {-1.0 / 7, 8, "-0.14286"},
      {1.0 / 7, 3, "0.1"},
      {1.0 / 7, 2, std::nullopt},
      {123456789012345.0, 11, "1.23457E+14"},
      {123456789012345.0, 8, "1.23E+14"},
      {123456789012345.0, 5, "1E+14"},
      {123456789012345.0, 4, std::nullopt},
      {123456789.0, 8, "1.23E+08"},
      {123456789.0, 9, "123456789"},
      {1234567.891, 8, "1234568"},
      {99999999.7, 8, "1E+08"},
      {0.0000123, 11, "0.0000123"},
      {1.0 / 30000, 11, "3.33333E-05"},
      {0.000123456789, 11, "0.000123457"},
      {0.000123, 5, "1E-04"},
      {1e-300, 8, "1E-300"},
      {1e100, 11, "1E+100"},
      {0.0, 1, "0"},
      {5.0, 0, std::nullopt},
      {-5.0, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    const bool fits = AppendGeneralNumber(c.value, c.width, out);
    EXPECT_EQ(fits, c.shown.has_value()) << c.value << " in " << c.width;
    if (c.shown) {
      EXPECT_EQ(out, "x" + *c.shown) << c.value << " in " << c.width;
      EXPECT_TRUE(FitsInWidth(*c.shown, c.width));
    } else {
      EXPECT_EQ(out, "x");
    }
  }
}

TEST(GeneralNumberTest, FormatsRoundGeneralPartsAndSayWhenNothingFits) {
  const CompiledFormat general;
  std::string out;
  EXPECT_FALSE(general.Render(CellValue::Number(1.0 / 7), out, 8).overflow);
  EXPECT_EQ(out, "0.142857");
  EXPECT_TRUE(general.Render(CellValue::Number(1.0 / 7), out, 2).overflow);
  EXPECT_EQ(out, "###");
  // The literals take their share of the width.
  CompiledFormat kilograms("General\" kg\"");
  kilograms.Render(CellValue::Number(1.0 / 7), out, 8);
  EXPECT_EQ(out, "0.143 kg");
  // Other formats are not rounded to the width; the grid asks whether the
  // text fits.
  CompiledFormat("0.000000").Render(CellValue::Number(1.0 / 7), out, 4);
  EXPECT_FALSE(FitsInWidth(out, 4));
  EXPECT_TRUE(FitsInWidth("€1,5", 4));
}

TEST(BuiltinFormatsTest, IdsAndTheirCodes) {
  EXPECT_EQ(BuiltinFormatCode(0), "General");
  EXPECT_EQ(BuiltinFormatCode(14), "m/d/yyyy");
  EXPECT_EQ(BuiltinFormatCode(49), "@");
  EXPECT_EQ(BuiltinFormatCode(23), "General");
  EXPECT_EQ(BuiltinFormatCode(-1), "");
  EXPECT_EQ(BuiltinFormatCode(59), "");
  // Every id 0 to 49 that names dates or times for the readers renders
  // one, and the others render numbers.
  for (int id = 0; id <= 49; ++id) {
    const CompiledFormat format(BuiltinFormatCode(id));
    EXPECT_EQ(format.shows_date_time(),
              ValueFormatOfBuiltin(id) != ValueFormat::kNumber)
        << id;
  }
}

TEST(FormatCacheTest, CompilesEachCodeOnce) {
  FormatCache cache;
  const CompiledFormat& first = cache.Get("0.00%");
  EXPECT_EQ(&cache.Get(std::string("0.00") + "%"), &first);
  EXPECT_EQ(&cache.Builtin(10), &first);
  EXPECT_TRUE(cache.Builtin(999).is_general());
  EXPECT_EQ(cache.size(), 2u);
}

}  // namespace
}  // namespace kestrilo
