// SPDX-License-Identifier: MIT
// The defined names and tables the xlsx and ods readers report.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/input/reader_budget.h"
#include "engine/input/workbook_error.h"
#include "engine/model/range_address.h"
#include "engine/reading/ods/ods_names.h"
#include "engine/reading/workbook_reader.h"
#include "test_package.h"

namespace kestrilo {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using testing_support::Parts;
using testing_support::Relationship;
using testing_support::Relationships;
using testing_support::SheetXml;
using testing_support::WorkbookXml;
using testing_support::WritePackage;

const std::string kFixtures = KESTRILO_FIXTURES_DIR;

// "Prices@Other = Other!$B$1:$B$2" for a usable name of the sheet Other,
// "table Codes = ... (1 header)", "Rate: refers to a constant".
std::string Show(const Workbook& workbook, const BlockName& name) {
  std::string text =
      (name.kind == BlockNameKind::kTable ? "table " : "") + name.name;
  if (name.scope_sheet >= 0) {
    text += "@" + workbook.sheet(name.scope_sheet).name();
  }
  if (!name.usable()) return text + ": " + name.unusable_reason;
  text +=
      " = " + workbook.sheet(name.sheet).name() + "!" + FormatArea(name.block);
  if (name.kind == BlockNameKind::kTable) {
    text += " (" + std::to_string(name.header_rows) + " header)";
  }
  return text;
}

std::vector<std::string> ShowAll(const Workbook& workbook) {
  std::vector<std::string> shown;
  for (const BlockName& name : workbook.names()) {
    shown.push_back(Show(workbook, name));
  }
  return shown;
}

TEST(XlsxNamesTest, NamesOfWorkbookAndSheetAndTablesOfTheFixture) {
  const auto workbook = ReadWorkbook(kFixtures + "/names.xlsx");
  EXPECT_THAT(ShowAll(*workbook),
              UnorderedElementsAre(
                  "_xlnm.Print_Area@Data: built-in print name",
                  "Corners: refers to several areas", "Fruits = Data!$A$1:$B$4",
                  "Gone: refers to a deleted reference",
                  "Prices = Data!$B$1:$B$4", "Prices@Other = Other!$B$1:$B$2",
                  "Rate: refers to a constant", "Total: refers to a formula",
                  "table Codes = Other!$D$4:$E$6 (1 header)"));
  // A name of the sheet wins on its sheet only; letter case does not matter.
  EXPECT_EQ(workbook->FindName("prices", 1)->sheet, 1);
  EXPECT_EQ(workbook->FindName("PRICES", 0)->sheet, 0);
}

// The parts of a two-sheet workbook with `names` in the workbook part and
// the table parts `tables` related to the first sheet.
Parts NamedPackage(const std::string& names,
                   const std::vector<std::string>& tables = {}) {
  std::string sheet_rels;
  Parts parts = {
      {"_rels/.rels", Relationships(Relationship("rId1", "officeDocument",
                                                 "xl/workbook.xml"))},
      {"xl/workbook.xml",
       WorkbookXml("<sheet name=\"One\" sheetId=\"1\" r:id=\"rId1\"/>"
                   "<sheet name=\"Two Words\" sheetId=\"2\" r:id=\"rId2\"/>",
                   "<definedNames>" + names + "</definedNames>")},
      {"xl/_rels/workbook.xml.rels",
       Relationships(
           Relationship("rId1", "worksheet", "worksheets/sheet1.xml") +
           Relationship("rId2", "worksheet", "worksheets/sheet2.xml"))},
      {"xl/worksheets/sheet1.xml", SheetXml("")},
      {"xl/worksheets/sheet2.xml", SheetXml("")},
  };
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const std::string file = "table" + std::to_string(i + 1) + ".xml";
    sheet_rels +=
        Relationship("rIdT" + std::to_string(i), "table", "../tables/" + file);
    if (!tables[i].empty()) parts.push_back({"xl/tables/" + file, tables[i]});
  }
  parts.push_back(
      {"xl/worksheets/_rels/sheet1.xml.rels", Relationships(sheet_rels)});
  return parts;
}

std::string DefinedName(const std::string& name, const std::string& definition,
                        const std::string& attributes = "") {
  return "<definedName name=\"" + name + "\"" + attributes + ">" + definition +
         "</definedName>";
}

TEST(XlsxNamesTest, WhatANameRefersToDecidesWhetherItIsUsable) {
  const auto workbook = ReadWorkbook(WritePackage(
      "names_kinds.xlsx",
      NamedPackage(DefinedName("Quoted", "'Two Words'!$C$3") +
                   DefinedName("Columns", "One!$A:$B") +
                   DefinedName("Local", "$B$2:$C$3", " localSheetId=\"1\"") +
                   DefinedName("Outside", "One!A1", " localSheetId=\"7\"") +
                   DefinedName("Elsewhere", "[1]Sheet1!$A$1") +
                   DefinedName("Missing", "Three!$A$1") +
                   DefinedName("Spanning", "One:Two!$A$1") +
                   DefinedName("Filter", "One!$A$1:$B$2", " hidden=\"1\"") +
                   DefinedName("_xlnm._FilterDatabase", "One!$A$1:$B$2") +
                   DefinedName("Text", "&quot;a, b&quot;") +
                   DefinedName("Empty", ""))));
  EXPECT_THAT(
      ShowAll(*workbook),
      UnorderedElementsAre(
          "Quoted = Two Words!$C$3", "Columns = One!$A:$B",
          "Local@Two Words = Two Words!$B$2:$C$3",
          "Outside: belongs to a sheet that does not exist",
          "Elsewhere: refers to another workbook",
          "Missing: refers to a sheet that does not exist",
          "Spanning: refers to several sheets", "Filter = One!$A$1:$B$2",
          "_xlnm._FilterDatabase: built-in filter name",
          "Text: refers to a constant", "Empty: has no definition"));
}

std::string TableXml(const std::string& attributes) {
  return std::string("<table xmlns=\"") + testing_support::kMainNamespace +
         "\" id=\"1\" " + attributes + "/>";
}

TEST(XlsxNamesTest, TablesWithAndWithoutHeadersAndBrokenOnes) {
  const auto workbook = ReadWorkbook(WritePackage(
      "names_tables.xlsx",
      NamedPackage("",
                   {TableXml("name=\"T1\" displayName=\"Plain\" ref=\"B2:C5\" "
                             "headerRowCount=\"0\""),
                    TableXml("name=\"OnlyName\" ref=\"A1:A3\""),
                    TableXml("displayName=\"Bad\" ref=\"A1:nowhere\""), ""})));
  EXPECT_THAT(ShowAll(*workbook),
              UnorderedElementsAre("table Plain = One!$B$2:$C$5 (0 header)",
                                   "table OnlyName = One!$A$1:$A$3 (1 header)",
                                   "table Bad: has a bad reference",
                                   "table xl/tables/table4.xml: its part is "
                                   "missing"));
}

TEST(XlsxNamesTest, DamagedPartsAndTooManyNamesAreErrorsNamingTheFile) {
  const std::string broken = WritePackage(
      "names_broken.xlsx", NamedPackage("", {"<table name=\"T\" ref="}));
  try {
    ReadWorkbook(broken);
    ADD_FAILURE() << "read without error";
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), broken);
    EXPECT_THAT(error.reason(), HasSubstr("xl/tables/table1.xml"));
  }
  std::string names;
  for (int i = 0; i < 50; ++i) {
    names +=
        DefinedName(std::string(1, 'N').append(std::to_string(i)), "One!$A$1");
  }
  ReaderBudget::Limits limits;
  limits.texts = 20;
  ReaderBudget::ScopedLimits scoped(limits);
  EXPECT_THROW(
      ReadWorkbook(WritePackage("names_many.xlsx", NamedPackage(names))),
      WorkbookError);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

TEST(OdsNamesTest, NamedRangesAndDatabaseRangesOfTheFixture) {
  const auto workbook = ReadWorkbook(WritePackage(
      "names.ods",
      {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
       {"content.xml", ReadText(kFixtures + "/names.fods")}}));
  EXPECT_THAT(
      ShowAll(*workbook),
      UnorderedElementsAre(
          "Prices@My Other = My Other!$A$1", "Prices = Data!$B$1:$B$2",
          "Fruits = Data!$A$1:$B$2", "Corner = My Other!$A$1",
          "Pair: refers to several areas", "Spanning: refers to several sheets",
          "Gone: refers to a deleted reference",
          "Elsewhere: refers to another workbook",
          "Nowhere: refers to a sheet that does not exist",
          "Total: refers to a formula", "Broken: refers to a deleted reference",
          "table Goods = Data!$A$1:$B$2 (1 header)",
          "table Bare = My Other!$A$1 (0 header)",
          "table __Anonymous_Sheet_DB__0: built-in filter name"));
  EXPECT_EQ(workbook->FindName("prices", 1)->sheet, 1);
  EXPECT_EQ(workbook->FindName("prices", 0)->sheet, 0);
}

// names.ods and names.xls are names.fods saved by LibreOffice, which
// rewrites the unusable definitions its own way; the blocks must stay.
TEST(OdsNamesTest, LibreOfficeKeepsTheUsableNamesInOdsAndXls) {
  for (const char* file : {"names.ods", "names.xls"}) {
    const auto workbook = ReadWorkbook(kFixtures + "/" + file);
    std::vector<std::string> usable;
    for (const BlockName& name : workbook->names()) {
      if (name.usable()) usable.push_back(Show(*workbook, name));
    }
    const bool ods = std::string(file) == "names.ods";
    std::vector<std::string> expected = {
        "Prices@My Other = My Other!$A$1", "Prices = Data!$B$1:$B$2",
        "Fruits = Data!$A$1:$B$2", "Corner = My Other!$A$1"};
    if (ods) {
      expected.push_back("table Goods = Data!$A$1:$B$2 (1 header)");
      expected.push_back("table Bare = My Other!$A$1 (0 header)");
    }
    EXPECT_THAT(usable, ::testing::UnorderedElementsAreArray(expected)) << file;
    EXPECT_EQ(workbook->FindName("PRICES", 1)->sheet, 1) << file;
  }
}

TEST(OdsNamesTest, RangeListsBecomeA1Addresses) {
  EXPECT_EQ(OdsRangesToA1("$Sheet1.$A$1:.$C$5"), "'Sheet1'!$A$1:$C$5");
  EXPECT_EQ(OdsRangesToA1("$'It''s'.B2"), "'It''s'!B2");
  EXPECT_EQ(OdsRangesToA1("A1:B2 $S.C3"), "A1:B2,'S'!C3");
  EXPECT_EQ(OdsRangesToA1("$'open"), "");
  EXPECT_EQ(OdsRangesToA1("a:b:c"), "");
}

}  // namespace
}  // namespace kestrilo
