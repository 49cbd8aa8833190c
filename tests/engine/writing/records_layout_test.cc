// SPDX-License-Identifier: MIT
// The records layout end to end: workbooks of every format, read by the
// conversion service, written by RecordsWriter.

#include <expat.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/conversion/conversion.h"
#include "engine/model/column_letters.h"
#include "engine/writing/output_file.h"
#include "engine/writing/record_shape.h"
#include "engine/writing/string_sink.h"
#include "engine/writing/xml_writer.h"
#include "grid_workbooks.h"
#include "memory_cell_source.h"
#include "recipe_example.h"
#include "xmllint_check.h"

namespace kestrilo {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using namespace testing_support;

constexpr GridFormat kFormats[] = {GridFormat::kXlsx, GridFormat::kOds,
                                   GridFormat::kXls, GridFormat::kCsv};

// What expat says against `xml`; empty when it is well-formed.
std::string ParseError(const std::string& xml) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  const bool parsed =
      XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) !=
      XML_STATUS_ERROR;
  std::string error;
  if (!parsed) {
    error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) +
            " at line " + std::to_string(XML_GetCurrentLineNumber(parser));
  }
  XML_ParserFree(parser);
  return error;
}

ExportOptions RecordsOptions(const std::string& title,
                             const std::string& record) {
  ExportOptions options;
  options.records = true;
  options.title = title;
  options.record_tag = record;
  return options;
}

// The document: the declaration, the title around `lines`, CR LF each.
std::string Document(const std::string& title,
                     const std::vector<std::string>& lines) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<" + title + ">\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text + "</" + title + ">\r\n";
}

ConversionReport Convert(const std::string& path, const ExportOptions& options,
                         std::string& xml, const std::string& block = "") {
  ConversionRequest request;
  request.options = options;
  request.block = block;
  StringSink sink;
  ConversionReport report = ConvertFile(path, request, sink);
  xml = sink.Take();
  return report;
}

TEST(RecordsLayoutTest, RecipeByteForByteInEveryFormatAndRoad) {
  const Grid grid = RecipeGrid();
  const std::string expected = RecipeXml();
  const ExportOptions options = RecordsOptions("recipes", "recipe");
  for (GridFormat format : kFormats) {
    const std::string path = WriteGrid("recipe", format, grid);
    SCOPED_TRACE(path);
    // The used range (rows kept until it is known) and a block given by
    // address (rows streamed from the reader) give the same bytes.
    for (const char* block : {"", "A1:L2"}) {
      std::string xml;
      const ConversionReport report = Convert(path, options, xml, block);
      EXPECT_EQ(xml, expected) << "block " << block;
      EXPECT_TRUE(report.warnings.empty());
      EXPECT_TRUE(report.schema.empty());
      // Row by row from the reader, never through the model.
      EXPECT_EQ(report.road, *block == '\0' ? ConversionRoad::kSpooled
                                            : ConversionRoad::kStreamed);
    }
  }
}

struct HeaderCase {
  const char* rule;
  Grid grid;
  std::vector<std::string> lines;  // between the title's tags
  bool keep_empty = false;
  const char* block = "";  // the used range
};

std::vector<HeaderCase> HeaderCases() {
  return {
      {"attributes of the record and a child",
       {{Text("@id"), Text("name")}, {Number(7), Text("Ann")}},
       {"\t<r id=\"7\">", "\t\t<name>Ann</name>", "\t</r>"}},
      {"shared prefixes share the parent, in order of first appearance",
       {{Text("a/b"), Text("c"), Text("a/d/e"), Text("a/d/@f")},
        {Number(1), Number(2), Number(3), Number(4)}},
       {"\t<r>", "\t\t<a>", "\t\t\t<b>1</b>", "\t\t\t<d f=\"4\">",
        "\t\t\t\t<e>3</e>", "\t\t\t</d>", "\t\t</a>", "\t\t<c>2</c>",
        "\t</r>"}},
      {"explicit siblings, in the order of their numbers",
       {{Text("a[2]/b"), Text("a[1]/b"), Text("a[2]/@x")},
        {Text("two"), Text("one"), Text("X")}},
       {"\t<r>", "\t\t<a>", "\t\t\t<b>one</b>", "\t\t</a>", "\t\t<a x=\"X\">",
        "\t\t\t<b>two</b>", "\t\t</a>", "\t</r>"}},
      {"a repeated path is the next sibling, written beside the first",
       {{Text("tag"), Text("other"), Text("tag"), Text("tag")},
        {Number(1), Number(2), Number(3), Number(4)}},
       {"\t<r>", "\t\t<tag>1</tag>", "\t\t<tag>3</tag>", "\t\t<tag>4</tag>",
        "\t\t<other>2</other>", "\t</r>"}},
      {"a repeat inside a nested element repeats its deepest step",
       {{Text("a/b"), Text("a/@x"), Text("a/b"), Text("a/@x"), Text("a/b")},
        {Number(1), Number(2), Number(3), Number(4), Number(5)}},
       {"\t<r>", "\t\t<a x=\"2\">", "\t\t\t<b>1</b>", "\t\t\t<b>3</b>",
        "\t\t</a>", "\t\t<a x=\"4\">", "\t\t\t<b>5</b>", "\t\t</a>", "\t</r>"}},
      {"text and attributes in one element",
       {{Text("a/@x"), Text("a"), Text("a/@y")},
        {Text("1"), Text("text"), Blank()}},
       {"\t<r>", "\t\t<a x=\"1\">text</a>", "\t</r>"}},
      {"odd names made valid, spaces removed",
       {{Text(" 2021 Sales "), Text("a//b"), Text("@"), Text("x[0]"),
         Text("<&>"), Text("@a/b"), Blank(), Number(2), Text("n[1]/@k [2]"),
         Text("@xmlns")},
        {Number(1), Number(2), Number(3), Number(4), Number(5), Number(6),
         Number(7), Number(8), Number(9), Number(10)}},
       {"\t<r _=\"3\" _xmlns=\"10\">", "\t\t<_2021Sales>1</_2021Sales>",
        "\t\t<a>", "\t\t\t<_>", "\t\t\t\t<b>2</b>", "\t\t\t</_>", "\t\t</a>",
        "\t\t<x_0_>4</x_0_>", "\t\t<___>5</___>", "\t\t<__a>", "\t\t\t<b>6</b>",
        "\t\t</__a>", "\t\t<_>7</_>", "\t\t<_2>8</_2>", "\t\t<n k_2_=\"9\"/>",
        "\t</r>"}},
      {"empty attributes, elements, groups and rows are left out",
       {{Text("a/@x"), Text("a/@y"), Text("b/c"), Text("g/@n"), Text("g/@n")},
        {Blank(), Text("Y"), Blank(), Text("one"), Blank()},
        {Blank(), Blank(), Blank(), Blank(), Blank()},
        {Blank(), Blank(), Text("C"), Blank(), Blank()}},
       {"\t<r>", "\t\t<a y=\"Y\"/>", "\t\t<g n=\"one\"/>", "\t</r>", "\t<r>",
        "\t\t<b>", "\t\t\t<c>C</c>", "\t\t</b>", "\t</r>"}},
      {"kept when asked",
       {{Text("a/@x"), Text("a/@y"), Text("b/c"), Text("g/@n"), Text("g/@n")},
        {Blank(), Text("Y"), Blank(), Text("one"), Blank()},
        {Blank(), Blank(), Blank(), Blank(), Blank()}},
       {"\t<r>", "\t\t<a x=\"\" y=\"Y\"/>", "\t\t<b>", "\t\t\t<c/>", "\t\t</b>",
        "\t\t<g n=\"one\"/>", "\t\t<g n=\"\"/>", "\t</r>", "\t<r>",
        "\t\t<a x=\"\" y=\"\"/>", "\t\t<b>", "\t\t\t<c/>", "\t\t</b>",
        "\t\t<g n=\"\"/>", "\t\t<g n=\"\"/>", "\t</r>"},
       true,
       "A1:E3"},
      {"values in XML Schema forms, escaped in text and attributes",
       {{Text("b"), Text("d"), Text("t"), Text("n"), Text("s"), Text("@s")},
        {Bool(true), Date(44439), Time(0.5734953703703704), Number(-0.25),
         Text("a<b & \"c\""), Text("1\"2\n3\t")},
        {Bool(false), Date(44439.5729166667), Blank(), Number(1e15), Blank(),
         Blank()}},
       {"\t<r s=\"1&quot;2&#10;3&#9;\">", "\t\t<b>true</b>",
        "\t\t<d>2021-08-31</d>", "\t\t<t>13:45:50</t>", "\t\t<n>-0.25</n>",
        "\t\t<s>a&lt;b &amp; \"c\"</s>", "\t</r>", "\t<r>", "\t\t<b>false</b>",
        "\t\t<d>2021-08-31T13:45:00</d>", "\t\t<n>1e+15</n>", "\t</r>"}},
      {"an element that has no place for its siblings' children",
       {{Text("a[1]/b"), Text("a[2]/@x")}, {Number(1), Number(2)}},
       {"\t<r>", "\t\t<a>", "\t\t\t<b>1</b>", "\t\t</a>", "\t\t<a x=\"2\"/>",
        "\t</r>"}},
      {"a repeated child and attribute",
       {{Text("y/z"), Text("y/@a"), Text("y/z"), Text("y/@a")},
        {Number(1), Number(2), Number(3), Number(4)}},
       {"\t<r>", "\t\t<y a=\"2\">", "\t\t\t<z>1</z>", "\t\t\t<z>3</z>",
        "\t\t</y>", "\t\t<y a=\"4\"/>", "\t</r>"}},
      {"years before 1 and after 9999 in XML Schema's forms; the year 0, "
       "which it has none of, as its serial",
       {{Text("d"), Text("t"), Text("late")},
        {Date(-700000), Date(-700000.5), Date(2958466)},
        {Date(-693594), Date(-693593.5), Blank()}},
       {"\t<r>", "\t\t<d>-0017-06-18</d>", "\t\t<t>-0017-06-17T12:00:00</t>",
        "\t\t<late>10000-01-01</late>", "\t</r>", "\t<r>", "\t\t<d>-693594</d>",
        "\t\t<t>-693593.5</t>", "\t</r>"}},
  };
}

TEST(RecordsLayoutTest, HeaderRulesInEveryFormat) {
  for (const HeaderCase& test : HeaderCases()) {
    SCOPED_TRACE(test.rule);
    ExportOptions options = RecordsOptions("T", "r");
    options.keep_empty = test.keep_empty;
    for (GridFormat format : kFormats) {
      const std::string path = WriteGrid("rules", format, test.grid);
      SCOPED_TRACE(path);
      std::string xml;
      Convert(path, options, xml, test.block);
      EXPECT_EQ(xml, Document("T", test.lines));
    }
  }
}

// Headers that give a record no shape fail before any byte is written,
// naming both columns and their headers.
TEST(RecordsLayoutTest, HeadersWithoutAShapeAreRefused) {
  struct Refusal {
    std::vector<GridCell> headers;
    std::vector<std::string> named;
  };
  const Refusal refusals[] = {
      {{Text("x"), Text("a"), Text("y"), Text("a/b")},
       {"column B (\"a\")", "column D (\"a/b\")", "text and child elements"}},
      {{Text("a/b/c"), Text("a/b")},
       {"column A (\"a/b/c\")", "column B (\"a/b\")",
        "child elements and text"}},
      {{Text("@id"), Text("n"), Text("@ id")},
       {"column A (\"@id\")", "column C (\"@ id\")", "same place"}},
      {{Text("a[1]"), Text("a[1]")},
       {"column A (\"a[1]\")", "column B (\"a[1]\")"}},
  };
  for (const Refusal& refusal : refusals) {
    std::vector<GridCell> values(refusal.headers.size(), Number(1));
    const std::string path =
        WriteGrid("refused", GridFormat::kXlsx, {refusal.headers, values});
    StringSink sink;
    ConversionRequest request;
    request.options = RecordsOptions("T", "r");
    try {
      ConvertFile(path, request, sink);
      ADD_FAILURE() << "no refusal for " << refusal.named.front();
    } catch (const RecordShapeError& error) {
      for (const std::string& part : refusal.named) {
        EXPECT_THAT(error.what(), HasSubstr(part));
      }
    }
    EXPECT_EQ(sink.Take(), "");
  }
}

TEST(RecordsLayoutTest, NestingDeeperThanTheLimitIsRefused) {
  std::string deep;
  for (int i = 0; i < RecordShape::kMaxDepth; ++i) deep += "a/";
  const std::string too_deep = deep + "a/b";
  const std::vector<CellValue> headers = {CellValue::Text(too_deep)};
  EXPECT_THROW(RecordShape(headers, 1, "r"), RecordShapeError);
  deep.resize(deep.size() - 1);
  const std::vector<CellValue> fits = {CellValue::Text(deep)};
  EXPECT_EQ(RecordShape(fits, 1, "r").elements().back().depth,
            RecordShape::kMaxDepth);
}

// The schema's location goes on the root, as a relative URI.
TEST(RecordsLayoutTest, RootNamesItsSchema) {
  const std::string path =
      WriteGrid("named", GridFormat::kCsv, {{Text("a")}, {Text("1")}});
  ExportOptions options = RecordsOptions("T", "r");
  options.schema = true;
  options.schema_name = "My Book€.xsd";
  std::string xml;
  const ConversionReport report = Convert(path, options, xml);
  EXPECT_THAT(xml,
              HasSubstr("<T xmlns:xsi=\"http://www.w3.org/2001/"
                        "XMLSchema-instance\" xsi:noNamespaceSchemaLocation="
                        "\"My%20Book%E2%82%AC.xsd\">\r\n"));
  EXPECT_THAT(report.schema,
              AllOf(HasSubstr("<xs:element name=\"T\">"),
                    HasSubstr("<xs:element name=\"a\" type=\"xs:string\"/>")));
}

// Every case's XML, in every format, is valid against its own schema as
// an independent validator reads both.
TEST(RecordsLayoutTest, EveryOutputIsValidAgainstItsSchema) {
  if (!HasXmllint()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  for (const HeaderCase& test : HeaderCases()) {
    SCOPED_TRACE(test.rule);
    ExportOptions options = RecordsOptions("T", "r");
    options.keep_empty = test.keep_empty;
    options.schema = true;
    options.schema_name = "valid.xsd";
    for (GridFormat format : kFormats) {
      const std::string path = WriteGrid("valid", format, test.grid);
      std::string xml;
      const ConversionReport report = Convert(path, options, xml, test.block);
      WriteTextFile(xml, TestFilePath("valid.xml"));
      WriteTextFile(report.schema, TestFilePath("valid.xsd"));
      EXPECT_EQ(XmllintComplaint(TestFilePath("valid.xml"),
                                 TestFilePath("valid.xsd")),
                "")
          << path << "\n"
          << xml << report.schema;
    }
  }
}

// Types from every value of a column, occurrences from every record.
TEST(RecordsLayoutTest, SchemaInfersTypesAndOccurrences) {
  const Grid grid = {
      {Text("i"), Text("d"), Text("x"), Text("b"), Text("day"), Text("at"),
       Text("clock"), Text("s"), Text("mixed"), Text("a/@n"), Text("a"),
       Text("g/@k"), Text("g/@k"), Text("bc"), Text("bc-at")},
      {Number(1), Number(1.5), Number(1e20), Bool(true), Date(44439),
       Date(44439.5), Time(0.5), Text("x"), Date(44439), Number(3), Number(5),
       Number(1), Number(2), Date(-700000), Date(-700000.5)},
      {Number(-2), Number(2), Number(2.5), Bool(false), Date(44440),
       Date(44440.25), Time(0.25), Blank(), Text("later"), Number(4), Blank(),
       Number(7), Blank(), Date(2958466), Date(2958466.5)},
  };
  const std::vector<std::string> declared = {
      "<xs:simpleType name=\"integer-or-empty\">\r\n"
      "\t\t<xs:union memberTypes=\"xs:integer\">",
      "<xs:element name=\"r\" minOccurs=\"0\" maxOccurs=\"unbounded\">",
      "<xs:element name=\"i\" type=\"xs:integer\"/>",
      "<xs:element name=\"d\" type=\"xs:decimal\"/>",
      "<xs:element name=\"x\" type=\"xs:double\"/>",
      "<xs:element name=\"b\" type=\"xs:boolean\"/>",
      "<xs:element name=\"day\" type=\"xs:date\"/>",
      "<xs:element name=\"at\" type=\"xs:dateTime\"/>",
      "<xs:element name=\"clock\" type=\"xs:time\"/>",
      "<xs:element name=\"s\" minOccurs=\"0\" type=\"xs:string\"/>",
      "<xs:element name=\"mixed\" type=\"xs:string\"/>",
      "<xs:extension base=\"integer-or-empty\">\r\n"
      "\t\t\t\t\t\t\t\t\t\t\t<xs:attribute name=\"n\" type=\"xs:integer\" "
      "use=\"required\"/>",
      "<xs:element name=\"g\" maxOccurs=\"2\">",
      "<xs:element name=\"bc\" type=\"xs:date\"/>",
      "<xs:element name=\"bc-at\" type=\"xs:dateTime\"/>",
  };
  ExportOptions options = RecordsOptions("T", "r");
  options.schema = true;
  for (GridFormat format :
       {GridFormat::kXlsx, GridFormat::kOds, GridFormat::kXls}) {
    const std::string path = WriteGrid("typed", format, grid);
    std::string xml;
    const ConversionReport report = Convert(path, options, xml);
    for (const std::string& declaration : declared) {
      EXPECT_THAT(report.schema, HasSubstr(declaration)) << path;
    }
    if (!HasXmllint()) continue;
    WriteTextFile(xml, TestFilePath("typed.xml"));
    WriteTextFile(report.schema, TestFilePath("typed.xsd"));
    EXPECT_EQ(
        XmllintComplaint(TestFilePath("typed.xml"), TestFilePath("typed.xsd")),
        "");
  }
}

// Whatever the headers and cells hold, the XML and its schema are
// well-formed, or the headers are refused.
TEST(RecordsLayoutTest, AnyHeadersAndCellsGiveWellFormedXmlOrARefusal) {
  const std::vector<std::string> pieces = {
      "a",     "b",        "@",    "/",  "[",  "]",    "1",   "2",
      "0",     " ",        "<",    "&",  "\"", "'",    "=",   ":",
      "xmlns", "\xC3\xA9", "\x01", "\t", "\n", "\xFF", "]]>", ""};
  std::mt19937 random(22);
  const auto text = [&](int most) {
    std::string made;
    for (int n = static_cast<int>(random() % most); n > 0; --n) {
      made += pieces[random() % pieces.size()];
    }
    return made;
  };
  int refused = 0;
  for (int round = 0; round < 400; ++round) {
    MemoryCellSource cells;
    const int columns = 1 + static_cast<int>(random() % 6);
    for (int column = 1; column <= columns; ++column) {
      cells.SetText(1, column, text(6));
      for (int row = 2; row <= 4; ++row) cells.SetText(row, column, text(4));
    }
    ExportOptions options = RecordsOptions(text(3), text(3));
    options.keep_empty = round % 2 == 1;
    options.schema = true;
    options.schema_name = text(3);
    StringSink sink;
    std::string schema;
    try {
      schema = WriteBlockXml(cells, options,
                             "A1:" + ColumnLetters(columns) + "4", sink);
    } catch (const RecordShapeError&) {
      ++refused;
      continue;
    }
    const std::string xml = sink.Take();
    EXPECT_EQ(ParseError(xml), "") << xml;
    EXPECT_EQ(ParseError(schema), "") << schema;
  }
  EXPECT_LT(refused, 300);
}

}  // namespace
}  // namespace kestrilo
