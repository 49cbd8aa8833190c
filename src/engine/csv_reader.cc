#include "engine/csv_reader.h"

#include "engine/workbook_error.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadCsv(const std::string& path) {
  throw WorkbookError(path, "text files are not supported yet");
}

}  // namespace kestrilo
