// SPDX-License-Identifier: MIT

#include "engine/model/block_name_definition.h"

#include <algorithm>
#include <vector>

#include "engine/model/address_error.h"
#include "engine/model/range_address.h"
#include "engine/text/ascii_text.h"

namespace kestrilo {

namespace {

// The pieces of a definition between its commas, leaving alone the commas
// inside quotes (sheet names, texts) and parentheses (function arguments).
std::vector<std::string_view> TopLevelPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  int depth = 0;
  char quote = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '(' || c == '{') {
      ++depth;
    } else if (c == ')' || c == '}') {
      --depth;
    } else if (c == ',' && depth == 0) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

bool IsConstant(std::string_view text) {
  if (text.empty()) return false;
  const char c = text.front();
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' ||
         c == '"' || c == '{' || c == '#' ||
         EqualsIgnoringAsciiCase(text, "TRUE") ||
         EqualsIgnoringAsciiCase(text, "FALSE");
}

// Why a definition that is no address cannot be used.
std::string NotAnAddressReason(std::string_view text) {
  const std::vector<std::string_view> pieces = TopLevelPieces(text);
  if (pieces.size() > 1 &&
      std::all_of(pieces.begin(), pieces.end(), [](std::string_view piece) {
        return IsAddress(TrimAsciiBlanks(piece));
      })) {
    return "refers to several areas";
  }
  return IsConstant(text) ? "refers to a constant" : "refers to a formula";
}

// Another workbook's cells: "[1]Sheet1!A1" or "'C:\dir\[Book.xlsx]Sheet1'!A1".
bool NamesAnotherWorkbook(std::string_view text) {
  const std::size_t bracket = text.find('[');
  return bracket != std::string_view::npos &&
         text.find('!', bracket) != std::string_view::npos;
}

}  // namespace

std::string BuiltInNameReason(std::string_view name) {
  constexpr std::string_view kPrefix = "_xlnm.";
  if (!StartsWithIgnoringAsciiCase(name, kPrefix)) return {};
  const std::string_view rest = name.substr(kPrefix.size());
  if (EqualsIgnoringAsciiCase(rest, "Print_Area") ||
      EqualsIgnoringAsciiCase(rest, "Print_Titles")) {
    return "built-in print name";
  }
  if (EqualsIgnoringAsciiCase(rest, "_FilterDatabase") ||
      EqualsIgnoringAsciiCase(rest, "Criteria") ||
      EqualsIgnoringAsciiCase(rest, "Extract")) {
    return "built-in filter name";
  }
  return "built-in name";
}

void ResolveA1Definition(BlockName& name, const Workbook& workbook) {
  if (!name.unusable_reason.empty()) return;
  std::string_view text = TrimAsciiBlanks(name.definition);
  if (!text.empty() && text.front() == '=')
    text = TrimAsciiBlanks(text.substr(1));
  if (text.empty()) {
    name.unusable_reason = "has no definition";
    return;
  }
  if (NamesAnotherWorkbook(text)) {
    name.unusable_reason = "refers to another workbook";
    return;
  }
  if (text.find("#REF!") != std::string_view::npos) {
    name.unusable_reason = "refers to a deleted reference";
    return;
  }
  RangeAddress address;
  try {
    address = ParseAddress(text);
  } catch (const AddressError&) {
    name.unusable_reason = NotAnAddressReason(text);
    return;
  }
  if (address.areas.size() > 1) {
    name.unusable_reason = "refers to several areas";
    return;
  }
  int sheet = name.scope_sheet;
  if (!address.sheet.empty()) {
    sheet = workbook.FindSheet(address.sheet);
    if (sheet < 0) {
      // "Jan:Mar!B2" spans sheets; no sheet name holds a colon.
      name.unusable_reason = address.sheet.find(':') != std::string::npos
                                 ? "refers to several sheets"
                                 : "refers to a sheet that does not exist";
      return;
    }
  }
  if (sheet < 0) {
    name.unusable_reason = "names no sheet";
    return;
  }
  name.sheet = sheet;
  name.block = address.areas.front();
}

}  // namespace kestrilo
