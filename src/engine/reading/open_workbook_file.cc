// SPDX-License-Identifier: MIT

#include "engine/reading/open_workbook_file.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>

#include "engine/input/input_file.h"
#include "engine/input/workbook_error.h"
#include "engine/reading/csv/csv_file.h"
#include "engine/reading/package_reader.h"
#include "engine/reading/workbook_formats.h"
#include "engine/reading/xls/xls_file.h"

namespace kestrilo {

namespace {

bool StartsWith(const unsigned char* bytes, std::size_t size,
                std::initializer_list<unsigned char> prefix) {
  return size >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), bytes);
}

}  // namespace

std::unique_ptr<WorkbookFile> OpenWorkbookFile(const std::string& path) {
  const bool text_name = IsPlainTextName(path);
  auto file = std::make_unique<InputFile>(path, text_name);
  const std::string_view head_bytes = file->Head(8);
  const auto* head = reinterpret_cast<const unsigned char*>(head_bytes.data());
  const std::size_t size = head_bytes.size();

  if (StartsWith(head, size, {'P', 'K', 3, 4}) ||
      StartsWith(head, size, {'P', 'K', 5, 6})) {
    // A zip package is read where it lies, its parts in any order.
    if (!file->regular()) {
      throw WorkbookError(path,
                          "a zip workbook cannot be read from a pipe; save it "
                          "as a file first");
    }
    file.reset();
    return OpenPackageFile(path);
  }
  if (StartsWith(head, size,
                 {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1})) {
    return OpenXlsFile(path, std::move(file));
  }
  // A bare BIFF stream without container: Excel 2.x to 4.x worksheets.
  if (size >= 2 && head[0] == 0x09 &&
      (head[1] == 0x00 || head[1] == 0x02 || head[1] == 0x04 ||
       head[1] == 0x08)) {
    throw WorkbookError(path,
                        "Excel 2.x-4.x worksheets are not supported; save it "
                        "as .xls or .xlsx first");
  }
  if (text_name) return OpenCsvFile(path, std::move(file));
  if (size == 0) throw WorkbookError(path, "the file is empty");
  std::string formats;
  for (const std::string& extension : WorkbookExtensions()) {
    formats += (formats.empty() ? "" : ", ") + extension;
  }
  throw WorkbookError(path,
                      "not a workbook in a format we read (" + formats + ")");
}

}  // namespace kestrilo
