#include "engine/reading/xls/xls_file.h"

#include "engine/reading/model_workbook_file.h"
#include "engine/reading/xls/xls_reader.h"

namespace kestrilo {

std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path,
                                          std::unique_ptr<InputFile> file) {
  std::shared_ptr<InputFile> input(std::move(file));
  return std::make_unique<ModelWorkbookFile>(
      [path, input] { return ReadXlsBytes(path, input->ReadAll()); });
}

}  // namespace kestrilo
