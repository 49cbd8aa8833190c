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
#include "engine/model/range_address.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/workbook_error.h"
#include "engine/reading/workbook_reader.h"
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

// Forwards the writer's progress texts to the front end, and notes the
// first cell read whose text holds characters XML cannot hold, which the
// writer replaces.
class ReportingCellSource : public WorkbookCellSource {
 public:
  ReportingCellSource(const Workbook& workbook, int sheet,
                      const std::function<void(std::string_view)>& status)
      : WorkbookCellSource(workbook, sheet), status_(status) {}

  void SetStatusText(std::string_view text) override {
    if (status_) status_(text);
  }

  CellValue Value(std::int32_t row, std::int32_t column) const override {
    const CellValue value = WorkbookCellSource::Value(row, column);
    if (first_unholdable_.empty() && value.kind == CellKind::kText &&
        HoldsCharactersXmlCannot(value.text)) {
      first_unholdable_ = ColumnLetters(column) + std::to_string(row);
    }
    return value;
  }

  // The address of that cell; empty when there was none.
  const std::string& first_unholdable() const { return first_unholdable_; }

 private:
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
std::optional<std::string> BlockAddress(const Sheet& sheet,
                                        const ConversionSettings& settings,
                                        const std::string& warning_prefix,
                                        JobResult& result) {
  const std::optional<BlockGeometry> used = sheet.UsedRange();
  if (settings.range.empty()) {
    if (!used) {
      Skip(result, warning_prefix,
           "block is empty (sheet '" + sheet.name() +
               "' has no cells); skipped");
      return std::nullopt;
    }
    return FormatArea(*used);
  }
  const BlockGeometry block = ParseAddress(settings.range).areas.front();
  if (!used || !Overlaps(block, *used)) {
    const std::string empty = "block is empty (" + FormatArea(block) +
                              " of sheet '" + sheet.name() + "' has no cells)";
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

void Convert(const Job& job, const ConversionSettings& settings,
             JobResult& result) {
  if (!job.refusal.empty()) throw JobFailure(job.refusal);
  const std::string warning_prefix = kPrefix + job.input + ": warning: ";
  if (!job.replaces.empty()) {
    Warn(result, warning_prefix,
         "writes the same file " + job.output_path + " as " + job.replaces +
             ", and replaces it");
  }
  std::unique_ptr<Workbook> workbook = ReadWorkbook(job.input);
  if (const int count = workbook->formulas_without_value(); count > 0) {
    Warn(result, warning_prefix,
         std::to_string(count) +
             (count == 1 ? " formula has" : " formulas have") +
             " no cached value and read as empty");
  }
  const ConversionSettings named = WithNamedBlock(*workbook, settings);
  const int sheet = SheetIndex(*workbook, named);
  std::optional<std::string> address =
      BlockAddress(workbook->sheet(sheet), named, warning_prefix, result);
  if (!address) {
    result.status = JobResult::Status::kSkipped;
    return;
  }
  ReportingCellSource source(*workbook, sheet, settings.status);
  // Standard output takes the whole text at the end, in input order; a
  // file takes it as it is made.
  XmlPieces xml;
  if (job.output_path.empty()) {
    WriteBlockXml(source, settings.options, *address, xml);
    result.bytes = xml.bytes();
  } else {
    MakeParentFolder(job.output_path);
    OutputFile file(job.output_path);
    WriteBlockXml(source, settings.options, *address, file);
    file.Commit();
    result.bytes = file.bytes();
  }
  if (settings.options.escape_text) {
    WarnOfReplacedCharacters(settings.options, source.first_unholdable(),
                             workbook->sheet(sheet).name(), warning_prefix,
                             result);
  }
  result.sheet = workbook->sheet(sheet).name();
  const BlockGeometry block = ParseAddress(*address).areas.front();
  result.block = FormatArea(block);
  result.rows = block.row_count;
  result.columns = block.column_count;
  result.xml = std::move(xml);
  result.status = JobResult::Status::kConverted;
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
