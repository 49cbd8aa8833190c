// SPDX-License-Identifier: MIT

#include "engine/reading/workbook_reader.h"

#include "engine/reading/open_workbook_file.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadWorkbook(const std::string& path) {
  return OpenWorkbookFile(path)->ReadCells();
}

}  // namespace kestrilo
