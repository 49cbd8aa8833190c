// SPDX-License-Identifier: MIT

#include "engine/conversion/conversion.h"

#include <functional>
#include <memory>

#include "engine/conversion/block_error.h"
#include "engine/conversion/block_resolver.h"
#include "engine/conversion/block_row_writer.h"
#include "engine/conversion/row_spool.h"
#include "engine/conversion/spool_follower.h"
#include "engine/display/displayed_cell_source.h"
#include "engine/display/displayed_rows.h"
#include "engine/input/workbook_error.h"
#include "engine/model/block_clip.h"
#include "engine/model/column_letters.h"
#include "engine/model/range_address.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/open_workbook_file.h"
#include "engine/text/ascii_text.h"
#include "engine/writing/cell_text.h"
#include "engine/writing/row_writer.h"
#include "engine/writing/xml_writer.h"

namespace kestrilo {

namespace {

// ---------------------------------------------------------------- texts

std::string EmptyBlockText(const std::optional<BlockGeometry>& block,
                           const std::string& sheet) {
  return block ? "block is empty (" + FormatArea(*block) + " of sheet '" +
                     sheet + "' has no cells)"
               : "block is empty (sheet '" + sheet + "' has no cells)";
}

void WarnOfUnholdable(const ExportOptions& options, const std::string& cell,
                      const std::string& sheet, ConversionReport& report) {
  if (!options.escape_text) return;
  const std::string replaced =
      "characters that XML cannot hold are written as U+FFFD";
  if (!cell.empty()) {
    report.warnings.push_back(replaced + ", first in cell " + cell +
                              " of sheet '" + sheet + "'");
  } else if (options.title_tag && HoldsCharactersXmlCannot(options.title)) {
    report.warnings.push_back(replaced + " in the title");
  }
}

void WarnOfFormulas(int count, ConversionReport& report) {
  if (count <= 0) return;
  report.warnings.push_back(std::to_string(count) +
                            (count == 1 ? " formula has" : " formulas have") +
                            " no cached value and read as empty");
}

// ---------------------------------------------------------------- rules

// Tells the observer the conversion is busy for as long as it lives; one
// that fails must not leave the window's pointer busy.
class BusyMark {
 public:
  explicit BusyMark(ConversionObserver* observer) : observer_(observer) {
    if (observer_ != nullptr) observer_->Busy(true);
  }
  ~BusyMark() {
    if (observer_ == nullptr) return;
    try {
      observer_->Busy(false);
    } catch (...) {
    }
  }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;

 private:
  ConversionObserver* observer_;
};

// The block to convert once the sheet's used range is known, by the one
// rule for empty blocks: the used range, whole rows and whole columns
// stand for the cells they hold, and are skipped when they hold none; a
// block given by address or name stands for itself, filled or not.
std::optional<BlockGeometry> DecideBlock(
    const std::optional<BlockGeometry>& asked,
    const std::optional<BlockGeometry>& used, const std::string& sheet,
    ConversionReport& report) {
  if (!asked) {
    if (!used) report.skipped = EmptyBlockText(std::nullopt, sheet);
    return used;
  }
  if (SpansWholeLines(*asked)) {
    const std::optional<BlockGeometry> clipped = ClipToUsedRange(*asked, used);
    if (!clipped) report.skipped = EmptyBlockText(asked, sheet);
    return clipped;
  }
  if (!used || !Overlaps(*asked, *used)) {
    report.warnings.push_back(EmptyBlockText(asked, sheet));
  }
  return asked;
}

// Counts the cells of a block that hold values.
class FilledCells : public RowSink {
 public:
  explicit FilledCells(const BlockGeometry& block) : block_(block) {}
  void AddRow(std::int32_t row, std::span<const RowCell> cells) override {
    if (row < block_.first_row || row > block_.last_row()) return;
    for (const RowCell& cell : cells) {
      count_ += cell.column >= block_.first_column &&
                cell.column <= block_.last_column();
    }
  }
  std::uint64_t count() const { return count_; }

 private:
  BlockGeometry block_;
  std::uint64_t count_ = 0;
};

// Refuses a block whose least XML exceeds the budget, naming how many of
// its cells are filled; `send` sends the sheet's rows to count them.
void CheckBudget(const BlockGeometry& block, const std::string& sheet,
                 const ExportOptions& options, std::uint64_t max_bytes,
                 const std::function<void(RowSink&)>& send) {
  if (max_bytes == 0 || LeastXmlBytes(block, options) <= max_bytes) return;
  FilledCells filled(block);
  send(filled);
  CheckLeastXml(block, sheet, filled.count(), options, max_bytes);
}

// Notes the first cell the writer reads whose text XML cannot hold.
class NotingCellSource : public CellSource {
 public:
  explicit NotingCellSource(const CellSource& cells) : cells_(cells) {}

  BlockGeometry Geometry(std::string_view address) const override {
    return cells_.Geometry(address);
  }
  CellValue Value(std::int32_t row, std::int32_t column) const override {
    const CellValue value = cells_.Value(row, column);
    if (first_unholdable_.empty() && value.kind == CellKind::kText &&
        HoldsCharactersXmlCannot(value.text)) {
      first_unholdable_ = ColumnLetters(column) + std::to_string(row);
    }
    return value;
  }
  const std::string& first_unholdable() const { return first_unholdable_; }

 private:
  const CellSource& cells_;
  mutable std::string first_unholdable_;
};

// The model's road: a sheet of a workbook read whole.
ConversionReport ConvertSheet(const Workbook& workbook, int index,
                              const std::optional<BlockGeometry>& asked,
                              const ConversionRequest& request, XmlSink& sink,
                              ConversionObserver* observer) {
  const ExportOptions& options = request.options;
  const Sheet& sheet = workbook.sheet(index);
  ConversionReport report;
  report.sheet = sheet.name();
  report.road = ConversionRoad::kModel;
  WarnOfFormulas(workbook.formulas_without_value(), report);
  report.block = DecideBlock(asked, sheet.UsedRange(), sheet.name(), report);
  if (!report.skipped.empty()) return report;
  CheckBudget(*report.block, sheet.name(), options, request.max_output_bytes,
              [&](RowSink& rows) { sheet.SendRows(rows); });
  const WorkbookCellSource values(workbook, index);
  std::optional<StyleFormats> formats;
  std::optional<DisplayedCellSource> displayed;
  if (options.as_displayed) {
    displayed.emplace(values, sheet, formats.emplace(workbook.styles()));
  }
  const NotingCellSource source(
      displayed ? static_cast<const CellSource&>(*displayed) : values);
  report.schema =
      WriteBlockXml(source, options, FormatArea(*report.block), sink, observer);
  WarnOfUnholdable(options, source.first_unholdable(), sheet.name(), report);
  return report;
}

// ---------------------------------------------------------------- roads

// The sheet and block a request asks for, before any cell is read.
struct Target {
  SheetChoice sheet;
  std::optional<BlockGeometry> block;  // nothing: the used range
};

// An address needs nothing of the workbook; a name needs its structure.
Target Resolve(WorkbookFile& file, const ConversionRequest& request) {
  const std::string_view text = TrimAsciiBlanks(request.block);
  if (text.empty()) return {request.sheet, std::nullopt};
  if (IsAddress(text)) {
    RangeAddress address = ParseAddress(text);
    SheetChoice sheet = request.sheet;
    if (!address.sheet.empty())
      sheet = SheetChoice{std::move(address.sheet), {}};
    return {std::move(sheet), address.areas.front()};
  }
  const Workbook& structure = file.Structure();
  const std::optional<int> context = request.sheet.Find(structure);
  if (!context) {
    throw BlockError(request.sheet.MissingReason(structure.sheet_count()));
  }
  const ResolvedBlock resolved = ResolveBlock(structure, *context, text);
  return {SheetChoice::AtIndex(resolved.sheet), resolved.block};
}

// Reads the rows of the sheet into `sink`, as they are displayed when the
// options ask for that.
SheetRead ReadRows(WorkbookFile& file, const SheetChoice& sheet,
                   const ExportOptions& options, RowSink& sink) {
  if (!options.as_displayed) return file.ReadRows(sheet, sink);
  DisplayedRows displayed(sink);
  return file.ReadRows(sheet, displayed);
}

// Ends the block's XML, and notes its schema and the first cell whose text
// XML cannot hold in the report of its sheet.
void FinishBlock(BlockRowWriter& writer, const ExportOptions& options,
                 ConversionReport& report) {
  writer.Finish();
  report.schema = writer.schema();
  WarnOfUnholdable(options, writer.first_unholdable(), report.sheet, report);
}

ConversionReport StreamRoad(WorkbookFile& file, const Target& target,
                            const ExportOptions& options, XmlSink& sink,
                            ConversionObserver* observer) {
  ConversionReport report;
  report.road = ConversionRoad::kStreamed;
  report.block = target.block;
  BlockRowWriter writer(*target.block, options, sink, observer);
  const SheetRead read = ReadRows(file, target.sheet, options, writer);
  report.sheet = read.name;
  WarnOfFormulas(read.formulas_without_value, report);
  if (!writer.any_cell()) {
    report.warnings.push_back(EmptyBlockText(report.block, read.name));
  }
  FinishBlock(writer, options, report);
  return report;
}

ConversionReport SpoolRoad(const std::string& path, WorkbookFile& file,
                           const Target& target,
                           const ConversionRequest& request, XmlSink& sink,
                           ConversionObserver* observer) {
  const ExportOptions& options = request.options;
  ConversionReport report;
  report.road = ConversionRoad::kSpooled;
  RowSpool spool(path);
  if (target.block && !SpansWholeLines(*target.block)) {
    spool.KeepOnly(*target.block);
  }
  // The used range is guessed from the first rows and written meanwhile,
  // where the sink can take it back should the guess fail.
  std::optional<SpoolFollower> follower;
  if (!target.block && sink.CanRestart()) {
    follower.emplace(spool, options, request.max_output_bytes, sink, observer);
  }
  const SheetRead read = ReadRows(file, target.sheet, options, spool);
  spool.Close();
  report.sheet = read.name;
  WarnOfFormulas(read.formulas_without_value, report);
  report.block = DecideBlock(target.block, spool.used(), read.name, report);
  if (!report.skipped.empty()) return report;
  const BlockGeometry block = *report.block;
  CheckBudget(block, read.name, options, request.max_output_bytes,
              [&](RowSink& rows) {
                spool.Send(rows, block.first_row, block.last_row());
              });
  if (follower && follower->Complete(*report.block)) {
    report.schema = follower->schema();
    WarnOfUnholdable(options, follower->first_unholdable(), read.name, report);
    return report;
  }
  if (follower) sink.Restart();
  BlockRowWriter writer(*report.block, options, sink, observer);
  spool.Send(writer, report.block->first_row, report.block->last_row());
  FinishBlock(writer, options, report);
  return report;
}

ConversionReport ModelRoad(const std::string& path, WorkbookFile& file,
                           const Target& target,
                           const ConversionRequest& request, XmlSink& sink,
                           ConversionObserver* observer) {
  const std::unique_ptr<Workbook> workbook = file.ReadCells(target.sheet);
  const std::optional<int> index = target.sheet.Find(*workbook);
  if (!index) {
    throw WorkbookError(path,
                        target.sheet.MissingReason(workbook->sheet_count()));
  }
  return ConvertSheet(*workbook, *index, target.block, request, sink, observer);
}

}  // namespace

ConversionReport ConvertFile(const std::string& path,
                             const ConversionRequest& request, XmlSink& sink,
                             ConversionObserver* observer) {
  const BusyMark busy(observer);
  BudgetSink budget(sink, request.max_output_bytes);
  std::unique_ptr<WorkbookFile> file = OpenWorkbookFile(path);
  const Target target = Resolve(*file, request);
  const ExportOptions& options = request.options;
  if (!RowWriter::Handles(options)) {
    return ModelRoad(path, *file, target, request, budget, observer);
  }
  // A block too large for the budget goes the spool's way, which counts
  // its cells before it refuses it.
  const bool known_block =
      target.block && !SpansWholeLines(*target.block) &&
      (request.max_output_bytes == 0 ||
       LeastXmlBytes(*target.block, options) <= request.max_output_bytes);
  if (!known_block || !budget.CanRestart()) {
    return SpoolRoad(path, *file, target, request, budget, observer);
  }
  try {
    return StreamRoad(*file, target, options, budget, observer);
  } catch (const BlockRowWriter::RowsOutOfOrder&) {
  }
  // The file lists rows of the block out of order: what was written goes,
  // and the rows are read again into a spool, which puts them in order.
  budget.Restart();
  file = OpenWorkbookFile(path);
  ConversionReport report =
      SpoolRoad(path, *file, target, request, budget, observer);
  report.road_changed = true;
  return report;
}

ConversionReport ConvertWorkbook(const Workbook& workbook,
                                 const ConversionRequest& request,
                                 XmlSink& sink, ConversionObserver* observer) {
  const BusyMark busy(observer);
  const std::optional<int> context = request.sheet.Find(workbook);
  if (!context) {
    throw BlockError(request.sheet.MissingReason(workbook.sheet_count()));
  }
  const ResolvedBlock resolved =
      ResolveBlock(workbook, *context, request.block);
  BudgetSink budget(sink, request.max_output_bytes);
  return ConvertSheet(workbook, resolved.sheet, resolved.block, request, budget,
                      observer);
}

}  // namespace kestrilo
