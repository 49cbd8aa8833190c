// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_reader.h"

#include "engine/input/input_file.h"
#include "engine/reading/xls/xls_file.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadXls(const std::string& path) {
  return ReadXlsBytes(path, InputFile(path, false).ReadAll());
}

std::unique_ptr<Workbook> ReadXlsBytes(const std::string& path,
                                       std::string bytes) {
  return OpenXlsBytes(path, std::move(bytes))->ReadCells();
}

}  // namespace kestrilo
