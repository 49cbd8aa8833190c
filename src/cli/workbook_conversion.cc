#include "cli/workbook_conversion.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "cli/named_block.h"
#include "engine/model/address_error.h"
#include "engine/model/block_clip.h"
#include "engine/model/column_letters.h"
#include "engine/model/range_address.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_error.h"
#include "engine/reading/workbook_reader.h"
#include "engine/reading/xlsx/xlsx_row_reader.h"
#include "engine/writing/cell_text.h"
#include "engine/writing/output_file.h"
#include "engine/writing/xml_writer.h"

namespace kestrilo::cli {

namespace {

constexpr char kPrefix[] = "kestrilo-cli: ";

// A conversion failure whose text is complete without the file name.
class JobFailure : public std::runtime_error {
 public:
  explicit JobFailure(const std::string& reason) : std::runtime_error(reason) {}
};

// Adds a warning both for standard error and for the report.
void Warn(JobResult& result, const std::string& prefix,
          const std::string& text) {
  result.messages.push_back(prefix + text);
  result.warnings.push_back(text);
}

// A workbook skipped: standard error hears why, and the report gives it as
// the reason rather than as a warning.
void Skip(JobResult& result, const std::string& prefix,
          const std::string& text) {
  result.messages.push_back(prefix + text);
  result.reason = text;
}

// The road changed under a conversion read row by row: the model road
// decides instead.
struct RoadChanged {};

// Forwards the writer's progress texts to the front end, and notes the
// first cell read whose text holds characters XML cannot hold, which the
// writer replaces.
class ReportingCellSource : public CellSource {
 public:
  ReportingCellSource(const CellSource& cells,
                      const std::function<void(std::string_view)>& status)
      : cells_(cells), status_(status) {}

  BlockGeometry Geometry(std::string_view address) const override {
    return cells_.Geometry(address);
  }

  void SetStatusText(std::string_view text) override {
    if (status_) status_(text);
  }

  CellValue Value(std::int32_t row, std::int32_t column) const override {
    const CellValue value = cells_.Value(row, column);
    if (first_unholdable_.empty() && value.kind == CellKind::kText &&
        HoldsCharactersXmlCannot(value.text)) {
      first_unholdable_ = ColumnLetters(column) + std::to_string(row);
    }
    return value;
  }

  // The address of that cell; empty when there was none.
  const std::string& first_unholdable() const { return first_unholdable_; }

 private:
  const CellSource& cells_;
  const std::function<void(std::string_view)>& status_;
  mutable std::string first_unholdable_;
};

// The sheet to read: the one the address names, else the one --sheet names
// or numbers, else the active one.
int SheetIndex(const Workbook& workbook, const ConversionSettings& settings) {
  std::string name = settings.sheet_name;
  if (!settings.range.empty()) {
    std::string named = ParseAddress(settings.range).sheet;
    if (!named.empty()) name = std::move(named);
  }
  if (!name.empty()) {
    const int index = workbook.FindSheet(name);
    if (index < 0) throw JobFailure("no sheet named '" + name + "'");
    return index;
  }
  if (settings.sheet_number) {
    if (*settings.sheet_number > workbook.sheet_count()) {
      throw JobFailure(
          "no sheet number " + std::to_string(*settings.sheet_number) +
          " (the workbook has " + std::to_string(workbook.sheet_count()) + ")");
    }
    return *settings.sheet_number - 1;
  }
  return workbook.active_sheet();
}

// The address to convert, or nothing when there is nothing to convert: an
// empty sheet without --range, or whole rows or columns without cells. Adds
// the empty-block warning to the result.
std::optional<std::string> BlockAddress(
    const std::string& sheet_name, const std::optional<BlockGeometry>& used,
    const ConversionSettings& settings, const std::string& warning_prefix,
    JobResult& result) {
  if (settings.range.empty()) {
    if (!used) {
      Skip(result, warning_prefix,
           "block is empty (sheet '" + sheet_name + "' has no cells); skipped");
      return std::nullopt;
    }
    return FormatArea(*used);
  }
  const BlockGeometry block = ParseAddress(settings.range).areas.front();
  if (!used || !Overlaps(block, *used)) {
    const std::string empty = "block is empty (" + FormatArea(block) +
                              " of sheet '" + sheet_name + "' has no cells)";
    if (SpansWholeLines(block)) {
      Skip(result, warning_prefix, empty + "; skipped");
      return std::nullopt;
    }
    Warn(result, warning_prefix, empty);
    return settings.range;
  }
  if (!SpansWholeLines(block)) return settings.range;
  return FormatArea(*ClipToUsedRange(block, used));
}

// Once per workbook: the text is no longer the cells' own.
void WarnOfReplacedCharacters(const ExportOptions& options,
                              const std::string& first_cell,
                              const std::string& sheet_name,
                              const std::string& warning_prefix,
                              JobResult& result) {
  const std::string replaced =
      "characters that XML cannot hold are written as U+FFFD";
  if (!first_cell.empty()) {
    Warn(result, warning_prefix,
         replaced + ", first in cell " + first_cell + " of sheet '" +
             sheet_name + "'");
  } else if (options.title_tag && HoldsCharactersXmlCannot(options.title)) {
    Warn(result, warning_prefix, replaced + " in the title");
  }
}

// A mirrored tree's folders are made as their first workbook is written.
void MakeParentFolder(const std::string& path) {
  const std::filesystem::path parent =
      std::filesystem::path(path).parent_path();
  if (parent.empty() || IsFolder(parent.string())) return;
  std::error_code error;
  std::filesystem::create_directories(parent, error);
  // Another process of a sharded run may have made it meanwhile.
  if (error && !IsFolder(parent.string())) {
    throw JobFailure("cannot create the output folder " + parent.string() +
                     ": " + error.message());
  }
}

void WarnOfFormulasWithoutValue(const Workbook& workbook,
                                const std::string& warning_prefix,
                                JobResult& result) {
  if (const int count = workbook.formulas_without_value(); count > 0) {
    Warn(result, warning_prefix,
         std::to_string(count) +
             (count == 1 ? " formula has" : " formulas have") +
             " no cached value and read as empty");
  }
}

// Writes the XML of `address` to the job's file, or into the result for
// standard output, which takes the whole text at the end, in input order.
// A file takes the text as it is made, and is put in place only once
// `check` has passed: a road given up leaves no file behind.
void WriteXml(const Job& job, CellSource& source, const ExportOptions& options,
              const std::string& address, const std::function<void()>& check,
              JobResult& result) {
  if (job.output_path.empty()) {
    XmlPieces xml;
    WriteBlockXml(source, options, address, xml);
    check();
    result.bytes = xml.bytes();
    result.xml = std::move(xml);
  } else {
    MakeParentFolder(job.output_path);
    OutputFile file(job.output_path);
    WriteBlockXml(source, options, address, file);
    check();
    file.Commit();
    result.bytes = file.bytes();
  }
  const BlockGeometry block = ParseAddress(address).areas.front();
  result.block = FormatArea(block);
  result.rows = block.row_count;
  result.columns = block.column_count;
  result.status = JobResult::Status::kConverted;
}

// The layouts that read the block row after row.
bool ReadsRowByRow(const ExportOptions& options) {
  return options.header_row != options.header_column || options.row_first;
}

// The road for an xlsx workbook in a layout that reads row by row: its
// cells go from the parser to the writer as they are read, without the
// sheet ever being built, while the file is still being inflated. When the
// block depends on the used range, the sheet's <dimension> stands for it
// until the end of the sheet shows the true one. False when this road
// cannot be taken (another format, rows out of order, a used range other
// than claimed, a file the model road must judge): then nothing is
// written and `result` is as it was.
bool ConvertRowByRow(const Job& job, const ConversionSettings& settings,
                     const std::string& warning_prefix, JobResult& result) {
  if (!ReadsRowByRow(settings.options)) return false;
  bool needs_used_range = settings.range.empty();
  if (!needs_used_range) {
    try {
      needs_used_range =
          SpansWholeLines(ParseAddress(settings.range).areas.front());
    } catch (const AddressError&) {
      return false;
    }
  }
  JobResult done = result;
  try {
    std::unique_ptr<XlsxRowReader> rows =
        XlsxRowReader::Open(job.input, [&](const Workbook& workbook) {
          return SheetIndex(workbook, settings);
        });
    if (!rows) return false;
    const std::string sheet_name =
        rows->workbook().sheet(rows->sheet_index()).name();
    std::optional<std::string> address = settings.range;
    if (needs_used_range) {
      if (!rows->dimension()) return false;
      rows->ExpectUsedRange(*rows->dimension());
      JobResult unused;
      address = BlockAddress(sheet_name, rows->dimension(), settings,
                             warning_prefix, unused);
      if (!address) return false;
    }
    const BlockGeometry block = ParseAddress(*address).areas.front();
    std::optional<BlockGeometry> used;
    rows->FinishAtCell(block.last_row(), block.last_column(),
                       [&](const std::optional<BlockGeometry>& true_used) {
                         JobResult unused;
                         if (BlockAddress(sheet_name, true_used, settings,
                                          warning_prefix, unused) != address) {
                           throw RoadChanged{};
                         }
                         used = true_used;
                       });
    ReportingCellSource source(*rows, settings.status);
    WriteXml(
        job, source, settings.options, *address, [&] { used = rows->Finish(); },
        done);
    WarnOfFormulasWithoutValue(rows->workbook(), warning_prefix, done);
    BlockAddress(sheet_name, used, settings, warning_prefix, done);
    if (settings.options.escape_text) {
      WarnOfReplacedCharacters(settings.options, source.first_unholdable(),
                               sheet_name, warning_prefix, done);
    }
    done.sheet = sheet_name;
  } catch (const XlsxRowReader::OutOfOrder&) {
    return false;
  } catch (const RoadChanged&) {
    return false;
  } catch (const XlsxRowReader::UsedRangeDiffers&) {
    return false;
  } catch (const WorkbookError&) {
    return false;  // the model road says what is wrong
  } catch (const JobFailure&) {
    return false;
  } catch (const std::logic_error&) {
    return false;
  }
  result = std::move(done);
  return true;
}

void Convert(const Job& job, const ConversionSettings& settings,
             JobResult& result) {
  if (!job.refusal.empty()) throw JobFailure(job.refusal);
  const std::string warning_prefix = kPrefix + job.input + ": warning: ";
  if (!job.replaces.empty()) {
    Warn(result, warning_prefix,
         "writes the same file " + job.output_path + " as " + job.replaces +
             ", and replaces it");
  }
  if (ConvertRowByRow(job, settings, warning_prefix, result)) return;
  std::unique_ptr<Workbook> workbook = ReadWorkbook(job.input);
  WarnOfFormulasWithoutValue(*workbook, warning_prefix, result);
  const ConversionSettings named = WithNamedBlock(*workbook, settings);
  const int sheet = SheetIndex(*workbook, named);
  const Sheet& cells = workbook->sheet(sheet);
  std::optional<std::string> address = BlockAddress(
      cells.name(), cells.UsedRange(), named, warning_prefix, result);
  if (!address) {
    result.status = JobResult::Status::kSkipped;
    return;
  }
  WorkbookCellSource sheet_cells(*workbook, sheet);
  ReportingCellSource source(sheet_cells, settings.status);
  WriteXml(
      job, source, settings.options, *address, [] {}, result);
  if (settings.options.escape_text) {
    WarnOfReplacedCharacters(settings.options, source.first_unholdable(),
                             cells.name(), warning_prefix, result);
  }
  result.sheet = cells.name();
}

}  // namespace

JobResult ConvertWorkbook(const Job& job, const ConversionSettings& settings) {
  JobResult result;
  const auto start = std::chrono::steady_clock::now();
  const std::string error_prefix = kPrefix + job.input + ": ";
  try {
    Convert(job, settings, result);
  } catch (const WorkbookError& error) {
    result.messages.push_back(kPrefix + error.path() + ": " + error.reason());
    result.reason = error.path() == job.input
                        ? error.reason()
                        : error.path() + ": " + error.reason();
  } catch (const std::bad_alloc&) {
    result.reason = "not enough memory";
    result.messages.push_back(error_prefix + result.reason);
  } catch (const std::exception& error) {
    result.reason = error.what();
    result.messages.push_back(error_prefix + result.reason);
  }
  if (result.status == JobResult::Status::kFailed) {
    result.block.clear();
    result.sheet.clear();
    result.rows = result.columns = 0;
    result.bytes = 0;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  return result;
}

}  // namespace kestrilo::cli
