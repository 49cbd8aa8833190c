// SPDX-License-Identifier: MIT

#include "engine/reading/workbook_formats.h"

#include "engine/text/ascii_text.h"

namespace kestrilo {

namespace {

constexpr WorkbookFormat kFormats[] = {
    {"xlsx",
     "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
     FormatFamily::kExcel},
    {"xlsm", "application/vnd.ms-excel.sheet.macroEnabled.12",
     FormatFamily::kExcel},
    {"xltx",
     "application/vnd.openxmlformats-officedocument.spreadsheetml.template",
     FormatFamily::kExcel},
    {"xltm", "application/vnd.ms-excel.template.macroEnabled.12",
     FormatFamily::kExcel},
    {"xls", "application/vnd.ms-excel", FormatFamily::kExcel},
    {"ods", "application/vnd.oasis.opendocument.spreadsheet",
     FormatFamily::kOpenDocument},
    {"ots", "application/vnd.oasis.opendocument.spreadsheet-template",
     FormatFamily::kOpenDocument},
    {"csv", "text/csv", FormatFamily::kText},
    {"tsv", "text/tab-separated-values", FormatFamily::kText},
    {"txt", "text/plain", FormatFamily::kText, false},
};

}  // namespace

std::span<const WorkbookFormat> WorkbookFormats() { return kFormats; }

std::vector<std::string> WorkbookExtensions() {
  std::vector<std::string> extensions;
  for (const WorkbookFormat& format : kFormats) {
    extensions.emplace_back(format.extension);
  }
  return extensions;
}

std::string ExtensionPatterns(FormatFamily family) {
  std::string patterns;
  for (const WorkbookFormat& format : kFormats) {
    if (format.family != family) continue;
    if (!patterns.empty()) patterns += ' ';
    patterns += "*.";
    patterns += format.extension;
  }
  return patterns;
}

bool IsPlainTextName(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  const std::size_t name = slash == std::string_view::npos ? 0 : slash + 1;
  // A name that only starts with a dot (".csv") has no extension.
  if (dot == std::string_view::npos || dot <= name) return false;
  const std::string_view extension = path.substr(dot + 1);
  for (const WorkbookFormat& format : kFormats) {
    if (format.family == FormatFamily::kText &&
        EqualsIgnoringAsciiCase(extension, format.extension)) {
      return true;
    }
  }
  return false;
}

}  // namespace kestrilo
