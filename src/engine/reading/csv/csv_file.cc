#include "engine/reading/csv/csv_file.h"

#include "engine/reading/csv/csv_reader.h"
#include "engine/reading/model_workbook_file.h"

namespace kestrilo {

std::unique_ptr<WorkbookFile> OpenCsvFile(const std::string& path,
                                          std::unique_ptr<InputFile> file) {
  std::shared_ptr<InputFile> input(std::move(file));
  return std::make_unique<ModelWorkbookFile>([path, input] {
    return ReadCsvBytes(path, input->ReadAll(CheckCsvStart(path)));
  });
}

}  // namespace kestrilo
