#include "engine/reading/xlsx/xlsx_file.h"

#include "engine/reading/model_workbook_file.h"
#include "engine/reading/xlsx/xlsx_reader.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

std::unique_ptr<WorkbookFile> OpenXlsxFile(const std::string& path,
                                           const std::string& workbook_part) {
  return std::make_unique<ModelWorkbookFile>([path, workbook_part] {
    ZipArchive zip(path);
    return ReadXlsx(path, zip, workbook_part);
  });
}

}  // namespace kestrilo
