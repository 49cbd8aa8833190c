// SPDX-License-Identifier: MIT

#include "engine/model/sheet_name.h"

#include "engine/text/ascii_text.h"

namespace kestrilo {

bool SameSheetName(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}

std::string QuotedSheetName(std::string_view sheet) {
  std::string quoted = "'";
  for (char c : sheet) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

std::string SheetPrefix(std::string_view sheet) {
  bool plain =
      !sheet.empty() && !(sheet.front() >= '0' && sheet.front() <= '9');
  for (char c : sheet) {
    const auto byte = static_cast<unsigned char>(c);
    plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                      (c >= '0' && c <= '9') || c == '_' || byte >= 0x80);
  }
  return (plain ? std::string(sheet) : QuotedSheetName(sheet)) + "!";
}

bool ReadQuotedSheetName(std::string_view text, std::size_t& pos,
                         std::string& sheet) {
  for (++pos; pos < text.size(); ++pos) {
    if (text[pos] != '\'') {
      sheet += text[pos];
    } else if (pos + 1 < text.size() && text[pos + 1] == '\'') {
      sheet += '\'';
      ++pos;
    } else {
      ++pos;
      return true;
    }
  }
  return false;
}

std::optional<SheetQualified> SplitSheetPrefix(std::string_view text) {
  text = TrimAsciiBlanks(text);
  SheetQualified split;
  if (!text.empty() && text.front() == '\'') {
    std::size_t pos = 0;
    std::string sheet;
    if (!ReadQuotedSheetName(text, pos, sheet)) return std::nullopt;
    const std::string_view after = TrimAsciiBlanks(text.substr(pos));
    if (after.empty() || after.front() != '!') {
      // A quote that is no sheet prefix: the text is what it is.
      split.rest = text;
      return split;
    }
    split.sheet = std::move(sheet);
    split.rest = TrimAsciiBlanks(after.substr(1));
  } else if (const std::size_t bang = text.find('!');
             bang != std::string_view::npos) {
    split.sheet = std::string(TrimAsciiBlanks(text.substr(0, bang)));
    split.rest = TrimAsciiBlanks(text.substr(bang + 1));
  } else {
    split.rest = text;
  }
  if (split.sheet && split.sheet->empty()) return std::nullopt;
  return split;
}

}  // namespace kestrilo
