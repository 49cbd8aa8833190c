// SPDX-License-Identifier: MIT

#include "engine/conversion/block_resolver.h"

#include "engine/conversion/block_error.h"
#include "engine/model/address_error.h"
#include "engine/model/range_address.h"
#include "engine/model/sheet_name.h"
#include "engine/text/ascii_text.h"

namespace kestrilo {

namespace {

bool IsNameCharacter(unsigned char c, bool first) {
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  const bool digit = c >= '0' && c <= '9';
  // Bytes of characters beyond ASCII: names may hold letters of any script.
  return letter || c == '_' || c == '\\' || c >= 0x80 ||
         (!first && (digit || c == '.' || c == '?'));
}

bool IsNameSpelling(std::string_view text) {
  if (text.empty()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsNameCharacter(static_cast<unsigned char>(text[i]), i == 0)) {
      return false;
    }
  }
  return true;
}

int SheetNamed(const Workbook& workbook, const std::string& sheet) {
  const int index = workbook.FindSheet(sheet);
  if (index < 0) throw BlockError("no sheet named '" + sheet + "'");
  return index;
}

ResolvedBlock OfName(const Workbook& workbook, const BlockName& name) {
  if (!name.usable() || name.sheet < 0 ||
      name.sheet >= workbook.sheet_count()) {
    throw BlockError("the name '" + name.name +
                         "' cannot be converted: " + name.unusable_reason,
                     &name);
  }
  return {name.sheet, name.block, {name.block}, &name};
}

}  // namespace

ResolvedBlock ResolveBlock(const Workbook& workbook, int context,
                           std::string_view text) {
  text = TrimAsciiBlanks(text);
  if (text.empty()) return {context, std::nullopt, {}, nullptr};
  if (IsAddress(text)) {
    const RangeAddress address = ParseAddress(text);
    const int sheet =
        address.sheet.empty() ? context : SheetNamed(workbook, address.sheet);
    return {sheet, address.areas.front(), address.areas, nullptr};
  }
  const std::optional<SheetQualified> split = SplitSheetPrefix(text);
  if (split && IsNameSpelling(split->rest)) {
    const int seen_from =
        split->sheet ? SheetNamed(workbook, *split->sheet) : context;
    if (const BlockName* name = workbook.FindName(split->rest, seen_from)) {
      return OfName(workbook, *name);
    }
    throw BlockError("no defined name or table '" + std::string(text) + "'");
  }
  try {
    ParseAddress(text);
  } catch (const AddressError& error) {
    throw BlockError(error.what());
  }
  throw BlockError("no block '" + std::string(text) + "'");
}

bool MayNameABlock(std::string_view text) {
  if (IsAddress(text)) return false;
  const std::optional<SheetQualified> split = SplitSheetPrefix(text);
  return split && IsNameSpelling(split->rest);
}

std::string NameLabel(const Workbook& workbook, const BlockName& name) {
  if (name.scope_sheet < 0 || name.scope_sheet >= workbook.sheet_count()) {
    return name.name;
  }
  return SheetPrefix(workbook.sheet(name.scope_sheet).name()) + name.name;
}

const BlockName* NameOfBlock(const Workbook& workbook, int sheet,
                             const BlockGeometry& block) {
  for (const BlockName& name : workbook.names()) {
    if (name.usable() && name.sheet == sheet && name.block == block &&
        (name.scope_sheet < 0 || name.scope_sheet == sheet)) {
      return &name;
    }
  }
  return nullptr;
}

}  // namespace kestrilo
