// SPDX-License-Identifier: MIT

#include "cli/printable_text.h"

#include <cstdio>

namespace kestrilo::cli {

namespace {

void AppendEscape(unsigned code, std::string& out) {
  switch (code) {
    case '\r':
      out += "\\r";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\t':
      out += "\\t";
      return;
    default: {
      char escape[8];
      std::snprintf(escape, sizeof escape, code < 0x80 ? "\\x%02X" : "\\u%04X",
                    code);
      out += escape;
    }
  }
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      AppendEscape(byte, out);
    } else if (byte == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      AppendEscape(static_cast<unsigned char>(text[++i]), out);
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace kestrilo::cli
