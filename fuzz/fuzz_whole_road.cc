// SPDX-License-Identifier: MIT
// The whole road of a conversion: a file's bytes read as a workbook (zip,
// compound file or text, as the content says), its used range converted to
// XML under options chosen from the input, the cells perhaps as they are
// displayed (their styles' number formats applied). With escaping on the
// XML must be safe to parse whatever the cells hold: tags balanced, names
// without markup, text without a stray "<", ">" or "&", no character XML
// cannot hold. With the defaults (escaping and valid names on) it must be
// more: well-formed to a parser that reads namespaces, as importers do.

#include <expat.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/display/displayed_cell_source.h"
#include "engine/display/style_formats.h"
#include "engine/input/workbook_error.h"
#include "engine/model/address_error.h"
#include "engine/model/range_address.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/cell_text.h"
#include "engine/writing/export_options.h"
#include "engine/writing/xml_writer.h"

namespace {

using namespace kestrilo;

// Enough of a block to reach every layout's corners; a used range may well
// claim a million rows.
constexpr std::int32_t kMaxSide = 64;

std::string folder;

void RemoveFolder() {
  for (const char* name : {"/input.xlsx", "/input.xls", "/input.csv"}) {
    unlink((folder + name).c_str());
  }
  rmdir(folder.c_str());
}

// Readers read files: the input goes to one named as its content suggests
// (text is told by its name only).
std::string WriteInput(std::string_view bytes) {
  if (folder.empty()) {
    char pattern[] = "/tmp/kestrilo-fuzz-XXXXXX";
    folder = mkdtemp(pattern);
    atexit(RemoveFolder);
  }
  std::string path = folder + "/input.csv";
  if (bytes.starts_with("PK")) path = folder + "/input.xlsx";
  if (bytes.starts_with("\xD0\xCF\x11\xE0")) path = folder + "/input.xls";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) abort();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}

ExportOptions OptionsFor(std::size_t size) {
  ExportOptions options;
  options.header_row = size & 1;
  options.header_column = size & 2;
  options.row_first = size & 4;
  options.title_tag = size & 8;
  options.escape_text = (size & 48) != 0;
  if (size & 64) options.title = "T <a>&\x01:";
  options.valid_names = (size & 128) == 0;
  return options;
}

[[noreturn]] void Unsafe(const char* why, const std::string& xml) {
  std::fprintf(stderr, "unsafe XML: %s\n%s\n", why, xml.c_str());
  abort();
}

// Walks the markup: "<name>" or "</name>", names free of markup, closing
// tags matching, text free of "<", ">" and of "&" but for the three
// entities.
void CheckSafe(const std::string& xml) {
  if (HoldsCharactersXmlCannot(xml)) Unsafe("a character XML cannot hold", xml);
  std::vector<std::string_view> open;
  const std::string_view text(xml);
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '>') Unsafe("\">\" outside a tag", xml);
    if (c == '&') {
      const std::string_view rest = text.substr(i);
      if (!rest.starts_with("&amp;") && !rest.starts_with("&lt;") &&
          !rest.starts_with("&gt;")) {
        Unsafe("a bare \"&\"", xml);
      }
    }
    if (c != '<') {
      ++i;
      continue;
    }
    const std::size_t end = text.find('>', i);
    if (end == std::string_view::npos) Unsafe("an unclosed tag", xml);
    std::string_view name = text.substr(i + 1, end - i - 1);
    const bool closing = name.starts_with('/');
    if (closing) name.remove_prefix(1);
    if (name.find_first_of("<>&\"'/=") != std::string_view::npos) {
      Unsafe("markup in a name", xml);
    }
    if (!closing) {
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      Unsafe("unbalanced tags", xml);
    } else {
      open.pop_back();
    }
    i = end + 1;
  }
  if (!open.empty()) Unsafe("unclosed elements", xml);
}

// Parses the whole text with namespace processing on, as importers do.
void CheckWellFormed(const std::string& xml) {
  XML_Parser parser = XML_ParserCreateNS("UTF-8", '|');
  const bool parsed =
      XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) !=
      XML_STATUS_ERROR;
  const std::string why =
      parsed ? "" : XML_ErrorString(XML_GetErrorCode(parser));
  XML_ParserFree(parser);
  if (!parsed) Unsafe(why.c_str(), xml);
}

void Convert(const std::string& path, std::size_t size) {
  const auto workbook = ReadWorkbook(path);
  const int sheet = workbook->active_sheet();
  const auto used = workbook->sheet(sheet).UsedRange();
  if (!used) return;
  BlockGeometry block = *used;
  block.row_count = std::min(block.row_count, kMaxSide);
  block.column_count = std::min(block.column_count, kMaxSide);
  const WorkbookCellSource values(*workbook, sheet);
  const StyleFormats formats(workbook->styles());
  const DisplayedCellSource displayed(values, workbook->sheet(sheet), formats);
  const CellSource& source =
      (size & 128) != 0 ? static_cast<const CellSource&>(displayed) : values;
  const ExportOptions options = OptionsFor(size);
  const std::string xml = BlockToXml(source, options, FormatArea(block));
  if (options.escape_text) CheckSafe(xml);
  if (options.escape_text && options.valid_names) {
    // Without a title tag the elements stand side by side: wrapped in one,
    // they must make a document too.
    CheckWellFormed(options.title_tag ? xml : "<r>" + xml + "</r>");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string path =
      WriteInput(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    Convert(path, size);
  } catch (const WorkbookError&) {
  } catch (const AddressError&) {
  }
  return 0;
}
