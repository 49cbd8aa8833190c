#include "engine/workbook_reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/csv_reader.h"
#include "engine/package_reader.h"
#include "engine/workbook_error.h"
#include "engine/xls_reader.h"

namespace kestrilo {

namespace {

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return extension;
}

bool StartsWith(const unsigned char* bytes, std::size_t size,
                std::initializer_list<unsigned char> prefix) {
  return size >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), bytes);
}

}  // namespace

std::unique_ptr<Workbook> ReadWorkbook(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw WorkbookError(path, "this is a folder, not a workbook");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw WorkbookError(
        path, std::string("cannot open the file: ") + std::strerror(errno));
  }
  unsigned char head[8] = {};
  file.read(reinterpret_cast<char*>(head), sizeof head);
  const auto size = static_cast<std::size_t>(file.gcount());
  file.close();

  if (StartsWith(head, size, {'P', 'K', 3, 4}) ||
      StartsWith(head, size, {'P', 'K', 5, 6})) {
    return ReadPackageWorkbook(path);
  }
  if (StartsWith(head, size,
                 {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1})) {
    return ReadXls(path);
  }
  // A bare BIFF stream without container: Excel 2.x to 4.x worksheets.
  if (size >= 2 && head[0] == 0x09 &&
      (head[1] == 0x00 || head[1] == 0x02 || head[1] == 0x04 ||
       head[1] == 0x08)) {
    throw WorkbookError(path,
                        "Excel 2.x-4.x worksheets are not supported; save it "
                        "as .xls or .xlsx first");
  }
  const std::string extension = LowerExtension(path);
  if (extension == ".csv" || extension == ".txt" || extension == ".tsv") {
    return ReadCsv(path);
  }
  if (size == 0) throw WorkbookError(path, "the file is empty");
  throw WorkbookError(path,
                      "not a workbook in a format we read "
                      "(xlsx, xlsm, ods, xls, csv)");
}

}  // namespace kestrilo
