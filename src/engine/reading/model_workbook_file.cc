#include "engine/reading/model_workbook_file.h"

#include "engine/reading/workbook_error.h"

namespace kestrilo {

ModelWorkbookFile::ModelWorkbookFile(Loader load) : load_(std::move(load)) {}

Workbook& ModelWorkbookFile::Loaded() {
  if (!workbook_) workbook_ = load_();
  return *workbook_;
}

const Workbook& ModelWorkbookFile::Structure() { return Loaded(); }

SheetRead ModelWorkbookFile::ReadRows(const SheetChoice& choice,
                                      RowSink& sink) {
  const Workbook& workbook = Loaded();
  const std::optional<int> index = choice.Find(workbook);
  if (!index) {
    throw WorkbookError(workbook.path(),
                        choice.MissingReason(workbook.sheet_count()));
  }
  workbook.sheet(*index).SendRows(sink);
  return {*index, workbook.sheet(*index).name(),
          workbook.formulas_without_value()};
}

std::unique_ptr<Workbook> ModelWorkbookFile::ReadCells(
    const std::optional<SheetChoice>& /*only*/) {
  Loaded();
  return std::move(workbook_);
}

}  // namespace kestrilo
