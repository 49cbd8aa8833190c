// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_file.h"

#include <stdexcept>

#include "engine/input/workbook_error.h"
#include "engine/reading/xls/biff_record_cursor.h"
#include "engine/reading/xls/compound_file.h"
#include "engine/reading/xls/xls_cell_target.h"
#include "engine/reading/xls/xls_globals.h"
#include "engine/reading/xls/xls_row_target.h"
#include "engine/reading/xls/xls_sheet_reader.h"

namespace kestrilo {

namespace {

// The BIFF stream of a container: "Workbook" (BIFF8), or "Book" (BIFF5).
CompoundStream WorkbookStream(const CompoundFile& container) {
  const std::string& path = container.path();
  if (container.HasStream("EncryptionInfo") ||
      container.HasStream("EncryptedPackage")) {
    throw WorkbookError(path, "the workbook is password-protected (encrypted)");
  }
  if (container.HasStream("Workbook")) return container.OpenStream("Workbook");
  if (container.HasStream("Book")) return container.OpenStream("Book");
  throw WorkbookError(path,
                      "not an Excel workbook: the compound file holds no "
                      "Workbook stream (perhaps another Office document)");
}

// Runs `read`, telling a failure of the standard library (a count beyond
// what a container can hold) as damage of the file.
template <typename Read>
auto AsWorkbookError(const std::string& path, Read read) {
  try {
    return read();
  } catch (const std::out_of_range& error) {
    throw WorkbookError(path, std::string("damaged workbook: ") + error.what());
  } catch (const std::length_error& error) {
    throw WorkbookError(path, std::string("damaged workbook: ") + error.what());
  }
}

// Puts the cells into the model's sheet.
class ModelTarget : public XlsCellTarget {
 public:
  explicit ModelTarget(Sheet& sheet) : sheet_(sheet) {}

  void Value(std::int32_t row, std::int32_t column, const CellValue& value,
             std::uint32_t style) override {
    switch (value.kind) {
      case CellKind::kNumber:
        return sheet_.SetNumber(row, column, value.number, style);
      case CellKind::kDateTime:
        return sheet_.SetDateTime(row, column, value.number, value.time_only,
                                  style);
      case CellKind::kBoolean:
        return sheet_.SetBoolean(row, column, value.number != 0, style);
      case CellKind::kError:
        return sheet_.SetError(row, column, value.text, style);
      case CellKind::kText:
        return sheet_.SetText(row, column, value.text, style);
      case CellKind::kEmpty:
        return;
    }
  }
  void Text(std::int32_t row, std::int32_t column, std::string_view text,
            std::uint32_t style) override {
    sheet_.SetText(row, column, text, style);
  }
  void PooledText(std::int32_t row, std::int32_t column, std::uint32_t index,
                  std::uint32_t style) override {
    sheet_.SetPooledText(row, column, index, style);
  }
  SheetLayout* layout() override { return &sheet_.layout(); }

 private:
  Sheet& sheet_;
};

// The workbook's globals are read when it opens, into the workbook that
// is its structure; ReadCells fills that workbook's sheets and hands it
// over. Once the cells are read, the file's bytes go.
class XlsFile : public WorkbookFile {
 public:
  XlsFile(const std::string& path, std::string bytes)
      : container_(std::make_unique<CompoundFile>(path, std::move(bytes))),
        records_(std::make_unique<BiffRecordCursor>(
            path, WorkbookStream(*container_))),
        workbook_(std::make_unique<Workbook>(path, "xls")),
        globals_(*records_, *workbook_),
        sheets_(*records_, globals_, *workbook_) {}

  const Workbook& Structure() override {
    if (!workbook_) throw std::logic_error("ReadCells took the workbook");
    return *workbook_;
  }

  SheetRead ReadRows(const SheetChoice& choice, RowSink& sink) override {
    const int index = Chosen(choice);
    StartReading();
    XlsRowTarget target(sink, workbook_->strings(), workbook_->budget());
    sink.UseStyles(workbook_->styles());
    const int without_value = sheets_.Read(index, target);
    target.Finish();
    ReleaseFile();
    return {index, workbook_->sheet(index).name(), without_value};
  }

  std::unique_ptr<Workbook> ReadCells(
      const std::optional<SheetChoice>& only) override {
    const std::optional<int> chosen =
        only ? std::optional<int>(Chosen(*only)) : std::nullopt;
    StartReading();
    AsWorkbookError(workbook_->path(), [&] {
      for (int i = 0; i < workbook_->sheet_count(); ++i) {
        Sheet& sheet = workbook_->sheet(i);
        if (!chosen || *chosen == i) {
          ModelTarget target(sheet);
          workbook_->CountFormulasWithoutValue(sheets_.Read(i, target));
        }
        sheet.Finish();
      }
    });
    ReleaseFile();
    return std::move(workbook_);
  }

 private:
  int Chosen(const SheetChoice& choice) {
    const Workbook& workbook = Structure();
    const std::optional<int> index = choice.Find(workbook);
    if (!index) {
      throw WorkbookError(workbook.path(),
                          choice.MissingReason(workbook.sheet_count()));
    }
    return *index;
  }

  void StartReading() {
    if (read_ || !workbook_) {
      throw std::logic_error("a WorkbookFile's cells are read once");
    }
    read_ = true;
  }

  // Lets go of the file's bytes, which the cells read need no more.
  void ReleaseFile() {
    records_.reset();
    container_.reset();
  }

  std::unique_ptr<CompoundFile> container_;
  std::unique_ptr<BiffRecordCursor> records_;
  std::unique_ptr<Workbook> workbook_;
  XlsGlobals globals_;
  XlsSheetReader sheets_;
  bool read_ = false;
};

}  // namespace

std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path,
                                          std::unique_ptr<InputFile> file) {
  std::string bytes = file->ReadAll();
  file.reset();
  return OpenXlsBytes(path, std::move(bytes));
}

std::unique_ptr<WorkbookFile> OpenXlsBytes(const std::string& path,
                                           std::string bytes) {
  return AsWorkbookError(path, [&]() -> std::unique_ptr<WorkbookFile> {
    return std::make_unique<XlsFile>(path, std::move(bytes));
  });
}

}  // namespace kestrilo
