#include "cli/named_block.h"

#include <stdexcept>

#include "engine/model/range_address.h"

namespace kestrilo::cli {

namespace {

bool IsNameCharacter(unsigned char c, bool first) {
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  const bool digit = c >= '0' && c <= '9';
  // Bytes of characters beyond ASCII: names may hold letters of any script.
  return letter || c == '_' || c == '\\' || c >= 0x80 ||
         (!first && (digit || c == '.' || c == '?'));
}

bool IsPlainName(std::string_view text) {
  if (text.empty()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsNameCharacter(static_cast<unsigned char>(text[i]), i == 0)) {
      return false;
    }
  }
  return true;
}

// "Other!Prices" or "'My Sheet'!Prices": the sheet (unquoted) and the
// name; no sheet for a plain name.
struct QualifiedName {
  std::string sheet;
  std::string_view name;
};

QualifiedName SplitSheet(std::string_view text) {
  const std::size_t bang = text.rfind('!');
  if (bang == std::string_view::npos) return {{}, text};
  std::string_view sheet = text.substr(0, bang);
  std::string unquoted;
  if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'') {
    sheet = sheet.substr(1, sheet.size() - 2);
    for (std::size_t i = 0; i < sheet.size(); ++i) {
      unquoted += sheet[i];
      if (sheet[i] == '\'' && i + 1 < sheet.size() && sheet[i + 1] == '\'') {
        ++i;
      }
    }
  } else {
    unquoted = std::string(sheet);
  }
  return {unquoted, text.substr(bang + 1)};
}

// The sheet a name is looked up from: --sheet's, else the active one. A
// --sheet the workbook lacks fails here, as it would for an address.
int ContextSheet(const Workbook& workbook, const ConversionSettings& settings) {
  if (!settings.sheet_name.empty()) {
    const int index = workbook.FindSheet(settings.sheet_name);
    if (index < 0) {
      throw std::runtime_error("no sheet named '" + settings.sheet_name + "'");
    }
    return index;
  }
  if (settings.sheet_number) {
    if (*settings.sheet_number > workbook.sheet_count()) {
      throw std::runtime_error("no sheet number " +
                               std::to_string(*settings.sheet_number));
    }
    return *settings.sheet_number - 1;
  }
  return workbook.active_sheet();
}

}  // namespace

bool IsBlockName(std::string_view text) {
  if (IsAddress(text)) return false;
  const QualifiedName qualified = SplitSheet(text);
  return IsPlainName(qualified.name) &&
         (qualified.name.size() == text.size() || !qualified.sheet.empty());
}

ConversionSettings WithNamedBlock(const Workbook& workbook,
                                  const ConversionSettings& settings) {
  if (settings.range.empty() || !IsBlockName(settings.range)) return settings;
  const QualifiedName qualified = SplitSheet(settings.range);
  int context = -1;
  const BlockName* name = nullptr;
  if (!qualified.sheet.empty()) {
    context = workbook.FindSheet(qualified.sheet);
    if (context < 0) {
      throw std::runtime_error("no sheet named '" + qualified.sheet +
                               "' for the name '" + settings.range + "'");
    }
    name = workbook.FindName(qualified.name, context);
    if (name && name->scope_sheet != context) name = nullptr;
  } else {
    context = ContextSheet(workbook, settings);
    name = workbook.FindName(qualified.name, context);
  }
  if (name == nullptr) {
    throw std::runtime_error("no defined name or table '" + settings.range +
                             "'");
  }
  if (!name->usable()) {
    throw std::runtime_error("the name '" + settings.range +
                             "' cannot be converted: " + name->unusable_reason);
  }
  ConversionSettings named = settings;
  named.range = FormatArea(name->block);
  named.sheet_name.clear();
  named.sheet_number = name->sheet + 1;
  return named;
}

std::string DescribeName(const Workbook& workbook, const BlockName& name) {
  std::string text =
      (name.kind == BlockNameKind::kTable ? "table \"" : "name \"") +
      name.name + "\"";
  if (name.scope_sheet >= 0 && name.scope_sheet < workbook.sheet_count()) {
    text += " of sheet \"" + workbook.sheet(name.scope_sheet).name() + "\"";
  }
  return text;
}

}  // namespace kestrilo::cli
