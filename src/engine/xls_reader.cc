#include "engine/xls_reader.h"

#include "engine/workbook_error.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadXls(const std::string& path) {
  throw WorkbookError(path, "Excel binary workbooks are not supported yet");
}

}  // namespace kestrilo
