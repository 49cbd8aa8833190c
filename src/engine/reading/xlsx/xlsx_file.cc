// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_file.h"

#include <limits>

#include "engine/input/workbook_error.h"
#include "engine/reading/xlsx/xlsx_row_reader.h"
#include "engine/reading/xlsx/xlsx_workbook_reader.h"

namespace kestrilo {

namespace {

class XlsxFile : public WorkbookFile {
 public:
  XlsxFile(std::unique_ptr<ZipArchive> zip, const std::string& workbook_part)
      : reader_(std::move(zip), workbook_part) {}

  const Workbook& Structure() override { return reader_.structure(); }

  SheetRead ReadRows(const SheetChoice& choice, RowSink& sink) override {
    const int index = Chosen(choice);
    const std::int64_t formulas = XlsxRowReader::Send(reader_, index, sink);
    return {index, reader_.structure().sheet(index).name(),
            static_cast<int>(std::min<std::int64_t>(
                formulas, std::numeric_limits<int>::max()))};
  }

  std::unique_ptr<Workbook> ReadCells(
      const std::optional<SheetChoice>& only) override {
    return reader_.ReadCells(only ? std::optional<int>(Chosen(*only))
                                  : std::nullopt);
  }

 private:
  int Chosen(const SheetChoice& choice) const {
    const std::optional<int> index = choice.Find(reader_.structure());
    if (!index) {
      throw WorkbookError(
          reader_.path(),
          choice.MissingReason(reader_.structure().sheet_count()));
    }
    return *index;
  }

  XlsxWorkbookReader reader_;
};

}  // namespace

std::unique_ptr<WorkbookFile> OpenXlsxFile(std::unique_ptr<ZipArchive> zip,
                                           const std::string& workbook_part) {
  return std::make_unique<XlsxFile>(std::move(zip), workbook_part);
}

}  // namespace kestrilo
