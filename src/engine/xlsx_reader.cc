#include "engine/xlsx_reader.h"

#include "engine/workbook_error.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadXlsx(const std::string& path, const ZipArchive&,
                                   const std::string&) {
  throw WorkbookError(path, "xlsx workbooks are not supported yet");
}

}  // namespace kestrilo
