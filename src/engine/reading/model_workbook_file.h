#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/reading/workbook_file.h"

namespace kestrilo {

/// A WorkbookFile for a format read whole into the model: its rows are
/// sent from the model. Costs the memory of the whole workbook, so it
/// serves only formats without a reader of their own rows.
class ModelWorkbookFile : public WorkbookFile {
 public:
  using Loader = std::function<std::unique_ptr<Workbook>()>;

  explicit ModelWorkbookFile(Loader load);

  const Workbook& Structure() override;
  SheetRead ReadRows(const SheetChoice& choice, RowSink& sink) override;
  std::unique_ptr<Workbook> ReadCells(
      const std::optional<SheetChoice>& only) override;

 private:
  Workbook& Loaded();

  Loader load_;
  std::unique_ptr<Workbook> workbook_;
};

}  // namespace kestrilo
