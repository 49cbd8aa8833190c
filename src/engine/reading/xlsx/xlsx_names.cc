// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_names.h"

#include <charconv>
#include <string_view>

#include "engine/model/address_error.h"
#include "engine/model/block_name_definition.h"
#include "engine/model/range_address.h"
#include "engine/reading/xml/xml_error.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/package_part.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// Names cost memory like texts do: a crafted part of a million names meets
// the budget of texts.
void Charge(Workbook& workbook, const BlockName& name) {
  workbook.budget().ChargeText(name.name.size() + name.definition.size());
}

std::string ReadCharged(const ZipArchive& zip, const std::string& part,
                        Workbook& workbook) {
  workbook.budget().ChargePart(part, zip.EntrySize(part).value_or(0));
  return PackagePart::ReadXml(zip, part);
}

// A whole number of plain digits; false for anything else.
bool ParseCount(std::string_view text, int& value) {
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() &&
         end == text.data() + text.size() && value >= 0;
}

// <definedName name="Prices" localSheetId="0">Data!$B$2:$D$9</definedName>
BlockName StartDefinedName(const XmlTokenizer& xml, const Workbook& workbook) {
  BlockName name;
  name.name = std::string(xml.AttributeOr("name"));
  name.unusable_reason = BuiltInNameReason(name.name);
  if (name.name.empty()) name.unusable_reason = "has no name";
  if (const std::string_view* local = xml.FindAttribute("localSheetId")) {
    int sheet = -1;
    if (!ParseCount(*local, sheet) || sheet >= workbook.sheet_count()) {
      name.unusable_reason = "belongs to a sheet that does not exist";
    } else {
      name.scope_sheet = sheet;
    }
  }
  return name;
}

void ReadDefinedNames(const ZipArchive& zip, const std::string& part,
                      Workbook& workbook) {
  const std::string text = ReadCharged(zip, part, workbook);
  try {
    XmlTokenizer xml(text);
    BlockName name;
    bool in_name = false;
    for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
      if (token == Token::kText) {
        if (in_name) name.definition.append(xml.text());
        continue;
      }
      // Only <workbook><definedNames><definedName>, not extensions' own.
      if (xml.local_name() != "definedName" ||
          (token == Token::kStartTag && xml.depth() != 3)) {
        continue;
      }
      if (token == Token::kStartTag) {
        name = StartDefinedName(xml, workbook);
        in_name = !xml.self_closing();
        if (in_name) continue;
      } else if (!in_name) {
        continue;
      }
      in_name = false;
      ResolveA1Definition(name, workbook);
      Charge(workbook, name);
      workbook.AddName(std::move(name));
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip, part, error);
  }
}

// <table name="Table1" displayName="Orders" ref="A1:F40" headerRowCount="1">
BlockName TableOf(const XmlTokenizer& xml, int sheet) {
  BlockName table;
  table.kind = BlockNameKind::kTable;
  table.name = std::string(xml.AttributeOr("displayName"));
  if (table.name.empty()) table.name = std::string(xml.AttributeOr("name"));
  table.definition = std::string(xml.AttributeOr("ref"));
  int header_rows = 1;
  if (const std::string_view* count = xml.FindAttribute("headerRowCount")) {
    if (!ParseCount(*count, header_rows)) header_rows = -1;
  }
  try {
    const RangeAddress address = ParseAddress(table.definition);
    if (!address.sheet.empty() || address.areas.size() != 1) {
      throw AddressError("not one area");
    }
    table.block = address.areas.front();
  } catch (const AddressError&) {
    table.unusable_reason = "has a bad reference";
  }
  if (table.usable() &&
      (header_rows < 0 || header_rows > table.block.row_count)) {
    table.unusable_reason = "has a bad count of header rows";
  }
  if (table.name.empty()) table.unusable_reason = "has no name";
  if (table.usable()) {
    table.sheet = sheet;
    table.header_rows = header_rows;
  }
  return table;
}

void ReadTable(const ZipArchive& zip, const std::string& part, int sheet,
               Workbook& workbook) {
  BlockName table;
  if (!zip.Contains(part)) {
    // No name to list it by but its part.
    table.kind = BlockNameKind::kTable;
    table.name = part;
    table.unusable_reason = "its part is missing";
  } else {
    const std::string text = ReadCharged(zip, part, workbook);
    try {
      XmlTokenizer xml(text);
      Token token = xml.Next();
      while (token != Token::kEnd && token != Token::kStartTag) {
        token = xml.Next();
      }
      if (token != Token::kStartTag || xml.local_name() != "table") {
        throw XmlError(xml.offset(), "the part holds no table");
      }
      table = TableOf(xml, sheet);
    } catch (const XmlError& error) {
      PackagePart::FailXml(zip, part, error);
    }
  }
  Charge(workbook, table);
  workbook.AddName(std::move(table));
}

}  // namespace

void ReadXlsxNames(const ZipArchive& zip, const std::string& workbook_part,
                   const std::vector<std::string>& sheet_parts,
                   Workbook& workbook) {
  ReadDefinedNames(zip, workbook_part, workbook);
  for (std::size_t i = 0; i < sheet_parts.size(); ++i) {
    if (sheet_parts[i].empty()) continue;
    for (const PackageRelationship& relationship :
         PackagePart::Relationships(zip, sheet_parts[i])) {
      if (!relationship.external &&
          PackagePart::TypeIs(relationship.type, "table")) {
        ReadTable(zip, relationship.target, static_cast<int>(i), workbook);
      }
    }
  }
}

}  // namespace kestrilo
