// SPDX-License-Identifier: MIT

#include "engine/display/ods_number_style.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/display/compiled_format.h"
#include "engine/display/value_format.h"

namespace kestrilo {
namespace {

struct OdsStyleFixture {
  const char* name;
  const char* xml;
};

struct OdsShownCase {
  const char* style;
  char kind;  // 'n' number, 't' text, 'b' boolean
  double number;
  const char* text;
  const char* shown;
};

#include "ods_number_style_table.inc"

// Reads a style written without namespace prefixes into the elements a
// reader would hand over.
OdsStyleElement ParseStyle(const std::string& xml) {
  struct Builder {
    OdsStyleElement root;
    std::vector<OdsStyleElement*> open;
  } builder;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &builder);
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto* b = static_cast<Builder*>(data);
        OdsStyleElement* element = &b->root;
        if (!b->open.empty()) {
          b->open.back()->children.emplace_back();
          element = &b->open.back()->children.back();
        }
        element->name = name;
        for (int i = 0; attributes[i] != nullptr; i += 2) {
          element->attributes.emplace_back(attributes[i], attributes[i + 1]);
        }
        b->open.push_back(element);
      },
      [](void* data, const XML_Char*) {
        static_cast<Builder*>(data)->open.pop_back();
      });
  XML_SetCharacterDataHandler(parser,
                              [](void* data, const XML_Char* text, int length) {
                                auto* b = static_cast<Builder*>(data);
                                if (!b->open.empty())
                                  b->open.back()->text.append(text, length);
                              });
  EXPECT_EQ(XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1),
            XML_STATUS_OK)
      << xml;
  XML_ParserFree(parser);
  return builder.root;
}

class Styles {
 public:
  void Add(const std::string& name, const std::string& xml) {
    styles_[name] = ParseStyle(xml);
  }
  std::string Code(const std::string& name) const {
    return OdsNumberStyleToCode(
        styles_.at(name), [this](std::string_view wanted) {
          const auto it = styles_.find(std::string(wanted));
          return it == styles_.end() ? nullptr : &it->second;
        });
  }

 private:
  std::map<std::string, OdsStyleElement> styles_;
};

TEST(OdsNumberStyleTest, ShowsWhatLibreOfficeShowsOfTheSameStyle) {
  Styles styles;
  for (const OdsStyleFixture& fixture : kOdsStyles) {
    styles.Add(fixture.name, fixture.xml);
  }
  for (const OdsShownCase& c : kOdsShownCases) {
    const std::string code = styles.Code(c.style);
    const CompiledFormat format(code);
    CellValue value = CellValue::Number(c.number);
    if (c.kind == 't') value = CellValue::Text(c.text);
    if (c.kind == 'b') value = CellValue::Boolean(c.number != 0);
    if (c.kind == 'n') {
      value = FormattedNumber(c.number, ValueFormatOfCode(code), false);
    }
    EXPECT_EQ(format.Text(value), c.shown)
        << "style " << c.style << " as " << code << ", value "
        << (c.kind == 't' ? c.text : std::to_string(c.number));
  }
}

TEST(OdsNumberStyleTest, StylesLibreOfficeDoesNotMakeFromCodes) {
  const struct {
    const char* xml;
    const char* code;
  } cases[] = {
      {R"(<boolean-style name="B"><boolean/></boolean-style>)",
       R"("TRUE";"TRUE";"FALSE")"},
      {R"(<time-style name="T" truncate-on-overflow="false"><hours/>
          <text>:</text><minutes style="long"/></time-style>)",
       "[h]\":\"mm"},
      {R"(<time-style name="T"><hours style="long"/><text>:</text>
          <minutes style="long"/><text>:</text>
          <seconds style="long" decimal-places="2"/></time-style>)",
       "hh\":\"mm\":\"ss.00"},
      {R"(<date-style name="D"><day-of-week/><text> </text><day style="long"/>
          <text>. </text><month textual="true" style="long"/><quarter/>
          <year/><era/></date-style>)",
       "ddd\" \"dd\". \"mmmmyy"},
      {R"(<text-style name="X"><text>Say "</text><text-content/><text>"</text>
          </text-style>)",
       R"("Say "\"@\")"},
      {R"(<number-style name="N"><text-properties color="#FE0001"/>
          <number decimal-places="1" min-integer-digits="1"
          display-factor="1000000"/><text>M</text></number-style>)",
       "[Red]0.0,,\"M\""},
      {R"(<number-style name="N"><text-properties color="#2F2F2F"/>
          <number decimal-places="0" min-integer-digits="2" grouping="true"/>
          </number-style>)",
       "[Color56]#,#00"},
      {R"(<number-style name="N"><number decimal-places="99999999"
          min-integer-digits="-5"/></number-style>)",
       "#.000000000000000000000000000000"},
      {R"(<number-style name="N"><scientific-number decimal-places="3"
          min-integer-digits="1" min-exponent-digits="3"/></number-style>)",
       "0.000E+000"},
      {R"(<number-style name="N"><fraction min-integer-digits="2"
          min-numerator-digits="2" min-denominator-digits="3"/></number-style>)",
       "00 ?\?/???"},
      {R"(<currency-style name="C"><number decimal-places="2"
          min-integer-digits="1" grouping="true"/><text> </text>
          <currency-symbol>CHF</currency-symbol></currency-style>)",
       "#,##0.00\" \"\"CHF\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OdsNumberStyleToCode(ParseStyle(c.xml)), c.code) << c.xml;
  }
}

// A denominator of 0 is none: the nearest fraction of one digit, whose
// numerator for a number beyond the denominators is the number itself.
TEST(OdsNumberStyleTest, FractionWithDenominatorZeroShowsTheRightNumerator) {
  const std::string code = OdsNumberStyleToCode(
      ParseStyle(R"(<number-style name="N"><fraction min-numerator-digits="1"
          denominator-value="0"/></number-style>)"));
  EXPECT_EQ(code, "?/?");
  const CompiledFormat format(code);
  EXPECT_EQ(format.Text(CellValue::Number(1.5)), "3/2");
  EXPECT_EQ(format.Text(CellValue::Number(1e20)), "100000000000000000000/1");
}

TEST(OdsNumberStyleTest, MapsBecomeSectionsAndConditions) {
  Styles styles;
  styles.Add("P", R"(<number-style><number decimal-places="0"
      min-integer-digits="1"/><text> up</text></number-style>)");
  styles.Add("Q", R"(<number-style><text>none</text></number-style>)");
  styles.Add("N", R"(<number-style><number decimal-places="0"
      min-integer-digits="1"/><text> down</text>
      <map condition="value()&gt;=0" apply-style-name="P"/></number-style>)");
  styles.Add("C", R"(<number-style><number decimal-places="1"
      min-integer-digits="1"/>
      <map condition="value() != 0" apply-style-name="P"/>
      <map condition="value()=0" apply-style-name="Q"/>
      <map condition="value()&gt;5" apply-style-name="P"/></number-style>)");
  styles.Add("M", R"~(<number-style><number decimal-places="2"
      min-integer-digits="1"/>
      <map condition="value()&gt;=0" apply-style-name="Missing"/>
      <map condition="cell-content-is-text()" apply-style-name="P"/>
      </number-style>)~");
  EXPECT_EQ(styles.Code("N"), "0\" up\";0\" down\"");
  EXPECT_EQ(CompiledFormat(styles.Code("N")).Text(CellValue::Number(-3)),
            "3 down");
  EXPECT_EQ(styles.Code("C"), "[<>0]0\" up\";[=0]\"none\";0.0");
  EXPECT_EQ(styles.Code("M"), "0.00");
}

}  // namespace
}  // namespace kestrilo
