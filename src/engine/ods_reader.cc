#include "engine/ods_reader.h"

#include "engine/workbook_error.h"

namespace kestrilo {

std::unique_ptr<Workbook> ReadOds(const std::string& path, ZipArchive&) {
  throw WorkbookError(path, "OpenDocument spreadsheets are not supported yet");
}

}  // namespace kestrilo
