// SPDX-License-Identifier: MIT
// Each reader keeps the look of each cell: number format, font, fill and
// alignment, in the model and in the rows it sends. Files LibreOffice made
// in every format, and small workbooks of each format that show the rules
// one at a time (theme and indexed colours, inherited ods styles, BIFF5).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "biff_test_writer.h"
#include "engine/model/workbook.h"
#include "engine/reading/open_workbook_file.h"
#include "engine/reading/workbook_reader.h"
#include "engine/reading/xls/xls_reader.h"
#include "test_package.h"
#include "xls_test_workbook.h"

namespace kestrilo {
namespace {

using testing_support::Parts;
using testing_support::WritePackage;

// A look in a few words: "0.00% bold fill FFFFFF00 center wrap".
std::string Look(const StyleTable& table, std::uint32_t index) {
  static const char* const kUnderlines[] = {
      "", " underline", " double-underline", " accounting-underline",
      " double-accounting-underline"};
  static const char* const kHorizontal[] = {
      "",      " left",    " center",        " right",
      " fill", " justify", " center-across", " distributed"};
  static const char* const kVertical[] = {"", " top", " middle", " justify",
                                          " distributed"};
  const CellStyle& style = table.style(index);
  std::string look = table.format_code(style.format);
  if (style.bold) look += " bold";
  if (style.italic) look += " italic";
  look += kUnderlines[static_cast<int>(style.underline)];
  char color[16];
  if (style.font_color != 0) {
    std::snprintf(color, sizeof color, " font %08X", style.font_color);
    look += color;
  }
  if (style.fill_color != 0) {
    std::snprintf(color, sizeof color, " fill %08X", style.fill_color);
    look += color;
  }
  look += kHorizontal[static_cast<int>(style.horizontal)];
  look += kVertical[static_cast<int>(style.vertical)];
  if (style.wrap) look += " wrap";
  return look;
}

std::string CellLook(const Workbook& workbook, int row, int column) {
  return Look(workbook.styles(),
              workbook.sheet(workbook.active_sheet()).StyleIndex(row, column));
}

// The look of each cell the rows bring, by "row,column", taken from the
// table the reader names while it reads.
class LookCollector : public RowSink {
 public:
  void UseStyles(const StyleTable& styles) override { styles_ = &styles; }
  void AddRow(std::int32_t row, std::span<const RowCell> cells) override {
    for (const RowCell& cell : cells) {
      const std::string at =
          std::to_string(row) + "," + std::to_string(cell.column);
      looks[at] = styles_ != nullptr ? Look(*styles_, cell.style) : "no table";
    }
  }
  std::map<std::string, std::string> looks;

 private:
  const StyleTable* styles_ = nullptr;
};

// The looks of every cell of the active sheet: from the rows, and from the
// model, which must agree.
std::map<std::string, std::string> RowLooks(const std::string& path) {
  LookCollector collector;
  OpenWorkbookFile(path)->ReadRows(SheetChoice(), collector);
  return collector.looks;
}

void ExpectLooks(const std::string& path,
                 const std::map<std::string, std::string>& expected) {
  const auto workbook = ReadWorkbook(path);
  const auto rows = RowLooks(path);
  for (const auto& [at, look] : expected) {
    const int row = std::stoi(at);
    const int column = std::stoi(at.substr(at.find(',') + 1));
    EXPECT_EQ(CellLook(*workbook, row, column), look) << path << " " << at;
    EXPECT_EQ(rows.count(at) ? rows.at(at) : "no cell", look)
        << path << " rows " << at;
  }
}

// ------------------------------------------------- LibreOffice's files

const std::string kStyles = std::string(KESTRILO_FIXTURES_DIR) + "/styles/";

// Column B of the cases LibreOffice gave a look (see make_style_fixtures.py).
const std::map<std::string, std::string> kLibreOfficeLooks = {
    {"18,2", "General bold"},
    {"19,2", "General italic"},
    {"20,2", "General underline"},
    {"21,2", "General font FFFF0000"},
    {"22,2", "General fill FFFFFF00"},
    {"23,2", "General center"},
    {"24,2", "General right top"},
    {"25,2", "General wrap"},
    {"26,2", "General bold italic fill FF00FF00 center wrap"},
    {"1,1", "General"},
};

class LibreOfficeLooksTest : public testing::TestWithParam<const char*> {};

TEST_P(LibreOfficeLooksTest, EveryFormatKeepsTheSameLooks) {
  ExpectLooks(kStyles + "formats." + GetParam(), kLibreOfficeLooks);
}

INSTANTIATE_TEST_SUITE_P(Formats, LibreOfficeLooksTest,
                         testing::Values("ods", "xlsx", "xls"));

// ---------------------------------------------------------------- xlsx

std::string XlsxWithStyles(const std::string& name, const std::string& rows,
                           const std::string& styles,
                           const std::string& theme) {
  Parts parts = testing_support::OneSheetPackage(rows, "", styles);
  for (auto& [part, content] : parts) {
    if (part == "xl/_rels/workbook.xml.rels") {
      content.insert(
          content.rfind("</Relationships>"),
          testing_support::Relationship("rId9", "theme", "theme/theme1.xml"));
    }
  }
  parts.push_back({"xl/theme/theme1.xml", theme});
  return WritePackage(name, parts);
}

// The Office 2007 theme's colours, and a second scheme that must not count.
constexpr const char* kTheme =
    "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/"
    "main\"><a:themeElements><a:clrScheme name=\"Office\">"
    "<a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1>"
    "<a:lt1><a:sysClr val=\"window\" lastClr=\"FFFFFF\"/></a:lt1>"
    "<a:dk2><a:srgbClr val=\"1F497D\"/></a:dk2>"
    "<a:lt2><a:srgbClr val=\"EEECE1\"/></a:lt2>"
    "<a:accent1><a:srgbClr val=\"4F81BD\"/></a:accent1>"
    "</a:clrScheme></a:themeElements><a:extraClrSchemeLst><a:extraClrScheme>"
    "<a:clrScheme name=\"Other\"><a:accent1><a:srgbClr val=\"00FF00\"/>"
    "</a:accent1></a:clrScheme></a:extraClrScheme></a:extraClrSchemeLst>"
    "</a:theme>";

TEST(XlsxLooksTest, FontsFillsFormatsAndAlignmentOfEachCellFormat) {
  std::string indexed;
  for (int i = 0; i < 11; ++i) {
    indexed += i == 10 ? "<rgbColor rgb=\"FF123456\"/>" : "<rgbColor/>";
  }
  const std::string styles =
      "<numFmts><numFmt numFmtId=\"164\" formatCode=\"0.0&quot; "
      "kg&quot;\"/></numFmts>"
      "<fonts><font><sz val=\"11\"/><color theme=\"1\"/></font>"
      "<font><b/><i val=\"0\"/><u val=\"double\"/><color rgb=\"FFFF0000\"/>"
      "</font>"
      "<font><b val=\"0\"/><i/><color indexed=\"10\"/></font>"
      "<font><u/><color theme=\"4\" tint=\"0.39997558519241921\"/></font>"
      "</fonts>"
      "<fills><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor theme=\"0\" "
      "tint=\"-0.1499984740745262\"/><bgColor indexed=\"64\"/></patternFill>"
      "</fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor indexed=\"13\"/>"
      "</patternFill></fill></fills>"
      "<cellXfs><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\"/>"
      "<xf numFmtId=\"10\" fontId=\"1\" fillId=\"2\"><alignment "
      "horizontal=\"center\" vertical=\"top\" wrapText=\"1\"/></xf>"
      "<xf numFmtId=\"164\" fontId=\"2\" fillId=\"3\"><alignment "
      "horizontal=\"centerContinuous\" vertical=\"bottom\"/></xf>"
      "<xf numFmtId=\"14\" fontId=\"3\" fillId=\"1\"/>"
      "<xf numFmtId=\"999\" fontId=\"99\" fillId=\"99\"/></cellXfs>"
      // A differential format's font is no font of the cells.
      "<dxfs><dxf><font><b/><color rgb=\"FF00FF00\"/></font></dxf></dxfs>"
      "<colors><indexedColors>" +
      indexed + "</indexedColors></colors>";
  std::string cells;
  const char* columns[] = {"A", "B", "C", "D", "E", "F"};
  const char* xfs[] = {"0", "1", "2", "3", "4", "77"};
  for (int i = 0; i < 6; ++i) {
    cells += std::string("<c r=\"") + columns[i] + "1\" s=\"" + xfs[i] +
             "\"><v>0.5</v></c>";
  }
  const std::string path = XlsxWithStyles(
      "looks.xlsx", "<row r=\"1\">" + cells + "</row>", styles, kTheme);
  ExpectLooks(path,
              {
                  {"1,1", "General font FF000000"},
                  {"1,2",
                   "0.00% bold double-underline font FFFF0000 fill FFD9D9D9 "
                   "center top wrap"},
                  {"1,3",
                   "0.0\" kg\" italic font FF123456 fill FFFFFF00 "
                   "center-across"},
                  {"1,4", "m/d/yyyy underline font FF95B3D7"},
                  {"1,5", "General"},
                  {"1,6", "General"},
              });
}

// ----------------------------------------------------------------- xls

std::string U16(int value) {
  return testing_support::U16(static_cast<std::uint16_t>(value));
}

// A FONT record: options (2 italic), colour index, weight, underline.
std::string Font(int options, int color, int weight, int underline) {
  return U16(200) + U16(options) + U16(color) + U16(weight) + U16(0) +
         testing_support::U8(static_cast<std::uint8_t>(underline)) +
         std::string(3, '\0') + testing_support::U8(5) +
         testing_support::U8(0) + "Arial";
}

// A BIFF8 XF record: alignment byte, fill pattern and its colour index.
std::string Xf8(int font, int format, int alignment, int pattern, int color) {
  return U16(font) + U16(format) + U16(1) +
         testing_support::U8(static_cast<std::uint8_t>(alignment)) +
         std::string(3, '\0') + testing_support::U32(0) +
         testing_support::U32(static_cast<std::uint32_t>(pattern) << 26) +
         U16(color | 65 << 7);
}

// A BIFF5 XF record: the fill lies in the word after the alignment.
std::string Xf5(int font, int format, int alignment, int pattern, int color) {
  return U16(font) + U16(format) + U16(1) +
         testing_support::U8(static_cast<std::uint8_t>(alignment)) +
         testing_support::U8(0) +
         testing_support::U32(
             static_cast<std::uint32_t>(color | 65 << 7 | pattern << 16)) +
         testing_support::U32(0);
}

std::string XlsWithLooks(const std::string& name, const std::string& globals,
                         int cells, bool biff8) {
  std::vector<testing_support::TestSheet> sheets(1);
  sheets[0].name = "Looks";
  for (int column = 1; column <= cells; ++column) {
    sheets[0].cells.Record(0x0203,
                           testing_support::Cell3(1, column, column - 1) +
                               testing_support::F64(0.5));
  }
  const std::string path = testing_support::TestFilePath(name);
  std::ofstream(path, std::ios::binary) << testing_support::Container(
      testing_support::WorkbookStream(sheets, globals, 0, biff8),
      biff8 ? "Workbook" : "Book");
  return path;
}

TEST(XlsLooksTest, FontsPaletteFormatsAndAlignmentOfEachXf) {
  testing_support::BiffStream globals;
  globals.Record(0x0031, Font(0, 0x7FFF, 400, 0))
      .Record(0x0031, Font(0, 10, 700, 0))
      .Record(0x0031, Font(2, 0x7FFF, 400, 1))
      .Record(0x0031, Font(0, 0x7FFF, 400, 0))
      // The fifth record is font 5: Excel never writes font 4.
      .Record(0x0031, Font(0, 12, 400, 2))
      .Record(0x0092, U16(3) + testing_support::U32(0x030201) +
                          testing_support::U32(0x060504) +
                          testing_support::U32(0x563412))
      .Record(0x00E0, Xf8(0, 0, 0x20, 0, 64))
      .Record(0x00E0, Xf8(1, 10, 0x0A, 1, 13))
      .Record(0x00E0, Xf8(2, 0, 0x13, 0, 64))
      .Record(0x00E0, Xf8(5, 14, 0x26, 0, 64))
      .Record(0x00E0, Xf8(4, 0, 0x20, 2, 64));
  ExpectLooks(XlsWithLooks("looks.xls", globals.bytes(), 5, true),
              {
                  {"1,1", "General"},
                  {"1,2",
                   "0.00% bold font FF123456 fill FFFFFF00 center top "
                   "wrap"},
                  {"1,3", "General italic underline right middle"},
                  {"1,4",
                   "m/d/yyyy double-underline font FF0000FF "
                   "center-across"},
                  {"1,5", "General"},
              });
}

TEST(XlsLooksTest, Biff5XfsKeepTheirFillElsewhere) {
  testing_support::BiffStream globals;
  globals.Record(0x0031, Font(0, 0x7FFF, 400, 0))
      .Record(0x0031, Font(0, 0x7FFF, 700, 0))
      .Record(0x00E0, Xf5(1, 10, 0x12, 1, 13));
  ExpectLooks(XlsWithLooks("looks5.xls", globals.bytes(), 1, false),
              {{"1,1", "0.00% bold fill FFFFFF00 center middle"}});
}

// ----------------------------------------------------------------- ods

constexpr const char* kOdsNamespaces =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
    "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"";

// Common styles with a default that every style inherits; an automatic
// style of styles.xml, which is for its pages and no cell's.
const std::string kOdsStyles =
    std::string("<office:document-styles ") + kOdsNamespaces +
    "><office:styles>"
    "<style:default-style style:family=\"table-cell\"><style:text-properties "
    "fo:color=\"#000080\"/></style:default-style>"
    "<number:percentage-style style:name=\"P1\"><number:number "
    "number:decimal-places=\"1\" number:min-integer-digits=\"1\"/>"
    "<number:text>%</number:text></number:percentage-style>"
    "<style:style style:name=\"Default\" style:family=\"table-cell\"/>"
    "<style:style style:name=\"Heading\" style:family=\"table-cell\" "
    "style:parent-style-name=\"Default\" style:data-style-name=\"P1\">"
    "<style:table-cell-properties style:text-align-source=\"fix\"/>"
    "<style:paragraph-properties fo:text-align=\"center\"/>"
    "<style:text-properties fo:font-weight=\"bold\"/></style:style>"
    // Parents in a loop: the chain ends all the same.
    "<style:style style:name=\"Loop1\" style:family=\"table-cell\" "
    "style:parent-style-name=\"Loop2\"><style:text-properties "
    "fo:font-style=\"italic\"/></style:style><style:style "
    "style:name=\"Loop2\" style:family=\"table-cell\" "
    "style:parent-style-name=\"Loop1\"/>"
    "</office:styles><office:automatic-styles><style:style "
    "style:name=\"ce9\" style:family=\"table-cell\"><style:text-properties "
    "fo:font-weight=\"bold\"/></style:style></office:automatic-styles>"
    "</office:document-styles>";

const std::string kOdsAutomaticStyles =
    "<number:date-style style:name=\"N37\"><number:year "
    "number:style=\"long\"/><number:text>-</number:text><number:month "
    "number:style=\"long\"/></number:date-style>"
    "<number:boolean-style style:name=\"N99\"><number:boolean/>"
    "</number:boolean-style>"
    "<style:style style:name=\"ce1\" style:family=\"table-cell\" "
    "style:parent-style-name=\"Heading\"><style:text-properties "
    "fo:font-style=\"italic\" style:text-underline-style=\"solid\" "
    "style:text-underline-type=\"double\" fo:color=\"#ff0000\"/>"
    "</style:style>"
    "<style:style style:name=\"ce2\" style:family=\"table-cell\" "
    "style:parent-style-name=\"Default\" style:data-style-name=\"N37\">"
    "<style:table-cell-properties fo:background-color=\"#ffff00\" "
    "style:vertical-align=\"middle\" fo:wrap-option=\"wrap\" "
    "style:text-align-source=\"value-type\"/><style:paragraph-properties "
    "fo:text-align=\"end\"/></style:style>"
    "<style:style style:name=\"ce3\" style:family=\"table-cell\" "
    "style:data-style-name=\"N99\"/>";

std::string OdsWithStyles(const std::string& name, const std::string& rows) {
  const std::string content =
      std::string("<office:document-content ") + kOdsNamespaces +
      "><office:automatic-styles>" + kOdsAutomaticStyles +
      "</office:automatic-styles><office:body><office:spreadsheet>"
      "<table:table table:name=\"S\"><table:table-column "
      "table:number-columns-repeated=\"2\" "
      "table:default-cell-style-name=\"Default\"/><table:table-column "
      "table:default-cell-style-name=\"ce2\"/>" +
      rows + "</table:table></office:spreadsheet></office:body>" +
      "</office:document-content>";
  return WritePackage(
      name, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
             {"styles.xml", kOdsStyles},
             {"content.xml", content}});
}

std::string OdsNumber(const std::string& style, const std::string& value,
                      const std::string& type = "float") {
  return "<table:table-cell" +
         (style.empty() ? "" : " table:style-name=\"" + style + "\"") +
         " office:value-type=\"" + type +
         "\" office:" + (type == "date" ? "date-value" : "value") + "=\"" +
         value + "\"/>";
}

TEST(OdsLooksTest, StylesInheritFromParentsColumnsAndTheDefault) {
  const std::string rows =
      "<table:table-row>" + OdsNumber("ce1", "0.125") + OdsNumber("", "5") +
      OdsNumber("", "2021-08-31", "date") + OdsNumber("", "7") +
      "</table:table-row><table:table-row>" + OdsNumber("ce3", "1") +
      OdsNumber("ce9", "2") + OdsNumber("Heading", "3") +
      OdsNumber("Loop1", "4") + "</table:table-row>";
  const std::string path = OdsWithStyles("looks.ods", rows);
  ExpectLooks(
      path, {
                {"1,1",
                 "0.0% bold italic double-underline font FFFF0000 "
                 "center"},
                {"1,2", "General font FF000080"},
                {"1,3", "yyyy\"-\"mm font FF000080 fill FFFFFF00 middle wrap"},
                {"1,4", "General font FF000080"},
                {"2,1", "\"TRUE\";\"TRUE\";\"FALSE\" font FF000080"},
                {"2,2", "General font FF000080"},
                {"2,3", "0.0% bold font FF000080 center"},
                {"2,4", "General italic font FF000080"},
            });
  // A boolean number style makes its numbers booleans.
  EXPECT_EQ(ReadWorkbook(path)->sheet(0).Cell(2, 1).kind, CellKind::kBoolean);
}

}  // namespace
}  // namespace kestrilo
