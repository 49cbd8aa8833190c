// SPDX-License-Identifier: MIT

#include "engine/reading/csv/csv_file.h"

#include <filesystem>

#include "engine/input/workbook_error.h"
#include "engine/reading/csv/csv_input.h"
#include "engine/reading/csv/csv_parser.h"
#include "engine/reading/csv/csv_text.h"

namespace kestrilo {

namespace {

// Puts the rows into the sheet of the model.
class SheetFiller : public RowSink {
 public:
  explicit SheetFiller(Sheet& sheet) : sheet_(sheet) {}

  void AddRow(std::int32_t row, std::span<const RowCell> cells) override {
    for (const RowCell& cell : cells) {
      sheet_.SetText(row, cell.column, cell.value.text);
    }
  }

 private:
  Sheet& sheet_;
};

class CsvFile : public WorkbookFile {
 public:
  CsvFile(const std::string& path, std::unique_ptr<InputFile> file)
      : path_(path), input_(path, std::move(file)) {}

  // Known from the name alone.
  const Workbook& Structure() override {
    if (!structure_) structure_ = NewWorkbook();
    return *structure_;
  }

  SheetRead ReadRows(const SheetChoice& choice, RowSink& sink) override {
    CheckChoice(choice);
    Parse(sink);
    return {0, Structure().sheet(0).name(), 0};
  }

  std::unique_ptr<Workbook> ReadCells(
      const std::optional<SheetChoice>& only) override {
    if (only) CheckChoice(*only);
    std::unique_ptr<Workbook> workbook = NewWorkbook();
    Sheet& sheet = workbook->sheet(0);
    SheetFiller filler(sheet);
    Parse(filler);
    sheet.Finish();
    return workbook;
  }

 private:
  std::unique_ptr<Workbook> NewWorkbook() const {
    auto workbook = std::make_unique<Workbook>(path_, "csv");
    workbook->AddSheet(std::filesystem::path(path_).stem().string(), false);
    return workbook;
  }

  void CheckChoice(const SheetChoice& choice) {
    if (!choice.Find(Structure())) {
      throw WorkbookError(path_, choice.MissingReason(1));
    }
  }

  void Parse(RowSink& sink) {
    CsvText text(input_);
    CsvParser(path_, text).SendRows(sink);
  }

  std::string path_;
  CsvInput input_;
  std::unique_ptr<Workbook> structure_;
};

}  // namespace

std::unique_ptr<WorkbookFile> OpenCsvFile(const std::string& path,
                                          std::unique_ptr<InputFile> file) {
  return std::make_unique<CsvFile>(path, std::move(file));
}

}  // namespace kestrilo
