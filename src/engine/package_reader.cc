#include "engine/package_reader.h"

#include "engine/workbook_error.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadPackageWorkbook(const std::string& path) {
  throw WorkbookError(path, "zip-packaged workbooks are not supported yet");
}

}  // namespace kestrilo
