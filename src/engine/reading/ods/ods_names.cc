// SPDX-License-Identifier: MIT

#include "engine/reading/ods/ods_names.h"

#include <optional>

#include "engine/model/block_name_definition.h"
#include "engine/model/sheet_name.h"

namespace kestrilo {

namespace {

// One cell of a range: "$Sheet1.$A$1", "'My Sheet'.B2", ".C5" or "D4".
struct OdsCell {
  std::optional<std::string> sheet;  // none when the cell names no sheet
  std::string cell;
};

std::optional<OdsCell> ParseCell(std::string_view text) {
  OdsCell cell;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  const std::size_t dot = text.rfind('.');
  if (i < text.size() && text[i] == '\'') {
    std::string sheet;
    if (!ReadQuotedSheetName(text, i, sheet) || i >= text.size() ||
        text[i] != '.') {
      return std::nullopt;
    }
    cell.sheet = std::move(sheet);
    ++i;
  } else if (dot != std::string_view::npos) {
    cell.sheet = std::string(text.substr(i, dot - i));
    i = dot + 1;
  }
  cell.cell = std::string(text.substr(i));
  if (cell.cell.empty()) return std::nullopt;
  return cell;
}

// The pieces of `text` split at `separator` outside quotes.
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') quoted = !quoted;
    if (text[i] == separator && !quoted) {
      if (i > start) pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (text.size() > start) pieces.push_back(text.substr(start));
  return pieces;
}

std::optional<std::string> RangeToA1(std::string_view range) {
  const std::vector<std::string_view> ends = Split(range, ':');
  if (ends.empty() || ends.size() > 2) return std::nullopt;
  const std::optional<OdsCell> from = ParseCell(ends.front());
  const std::optional<OdsCell> to = ParseCell(ends.back());
  if (!from || !to) return std::nullopt;
  std::string a1;
  if (from->sheet) {
    std::string sheet = *from->sheet;
    // A range over several sheets: no sheet name holds a colon, so the
    // name made of both is found as no sheet.
    if (to->sheet && !to->sheet->empty() && *to->sheet != sheet) {
      sheet += ":" + *to->sheet;
    }
    a1 = QuotedSheetName(sheet) + "!";
  }
  a1 += from->cell;
  if (ends.size() == 2) a1 += ":" + to->cell;
  return a1;
}

}  // namespace

std::string OdsRangesToA1(std::string_view ranges) {
  std::string a1;
  for (std::string_view range : Split(ranges, ' ')) {
    const std::optional<std::string> area = RangeToA1(range);
    if (!area) return {};
    if (!a1.empty()) a1 += ',';
    a1 += *area;
  }
  return a1;
}

bool OdsNames::Take(const XmlTokenizer& xml, int sheet) {
  const std::string_view element = xml.local_name();
  BlockName name;
  if (element == "named-range") {
    name.definition = std::string(xml.AttributeOr("cell-range-address"));
    name.scope_sheet = sheet;
  } else if (element == "named-expression") {
    name.definition = std::string(xml.AttributeOr("expression"));
    name.scope_sheet = sheet;
    name.unusable_reason = name.definition.find("#REF") != std::string::npos
                               ? "refers to a deleted reference"
                               : "refers to a formula";
  } else if (element == "database-range") {
    name.kind = BlockNameKind::kTable;
    name.definition = std::string(xml.AttributeOr("target-range-address"));
    name.header_rows = xml.AttributeOr("contains-header", "true") == "true";
  } else {
    return false;
  }
  name.name = std::string(xml.AttributeOr("name"));
  workbook_.budget().ChargeText(name.name.size() + name.definition.size());
  names_.push_back(std::move(name));
  return true;
}

namespace {

// Sets the block of a name whose reason is not yet known, or the reason.
void Settle(BlockName& name, const Workbook& workbook) {
  const std::string_view text = name.definition;
  if (text.find("#REF") != std::string_view::npos) {
    name.unusable_reason = "refers to a deleted reference";
    return;
  }
  // 'file:///home/me/other.ods'#$Sheet1.A1
  if (text.find("'#") != std::string_view::npos) {
    name.unusable_reason = "refers to another workbook";
    return;
  }
  BlockName a1 = name;
  a1.definition = OdsRangesToA1(text);
  if (a1.definition.empty()) {
    name.unusable_reason =
        text.empty() ? "has no definition" : "has a bad reference";
    return;
  }
  ResolveA1Definition(a1, workbook);
  name.sheet = a1.sheet;
  name.block = a1.block;
  name.unusable_reason = a1.unusable_reason;
}

}  // namespace

void OdsNames::AddToWorkbook() {
  for (BlockName& name : names_) {
    // LibreOffice keeps the filter of a sheet as a database range of its
    // own making.
    if (name.name.starts_with("__Anonymous_Sheet_DB__")) {
      name.unusable_reason = "built-in filter name";
    }
    if (name.name.empty()) name.unusable_reason = "has no name";
    if (name.usable()) Settle(name, workbook_);
    if (!name.usable()) {
      name.sheet = -1;
    } else if (name.header_rows > name.block.row_count) {
      name.header_rows = name.block.row_count;
    }
    workbook_.AddName(std::move(name));
  }
  names_.clear();
}

}  // namespace kestrilo
