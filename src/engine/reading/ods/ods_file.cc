#include "engine/reading/ods/ods_file.h"

#include "engine/reading/model_workbook_file.h"
#include "engine/reading/ods/ods_reader.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

std::unique_ptr<WorkbookFile> OpenOdsFile(const std::string& path) {
  return std::make_unique<ModelWorkbookFile>([path] {
    ZipArchive zip(path);
    return ReadOds(path, zip);
  });
}

}  // namespace kestrilo
