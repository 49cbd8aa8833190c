// SPDX-License-Identifier: MIT

#include "engine/reading/workbook_reader.h"

#include "engine/model/workbook_file.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadWorkbook(const std::string& path) {
  return WorkbookFile::Open(path)->ReadCells();
}

}  // namespace kestrilo
