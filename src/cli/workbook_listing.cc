// SPDX-License-Identifier: MIT

#include "cli/workbook_listing.h"

#include "cli/failure_text.h"
#include "cli/printable_text.h"
#include "engine/model/range_address.h"
#include "engine/reading/workbook_reader.h"

namespace kestrilo::cli {

namespace {

// How a listing names a name: `name "Prices"`, `name "Prices" of sheet
// "Other"`, `table "Orders"`.
std::string DescribeName(const Workbook& workbook, const BlockName& name) {
  std::string text =
      (name.kind == BlockNameKind::kTable ? "table \"" : "name \"") +
      name.name + "\"";
  if (name.scope_sheet >= 0 && name.scope_sheet < workbook.sheet_count()) {
    text += " of sheet \"" + workbook.sheet(name.scope_sheet).name() + "\"";
  }
  return text;
}

std::string SheetLine(const Workbook& workbook, int index) {
  const Sheet& sheet = workbook.sheet(index);
  std::string line = "sheet \"" + sheet.name() + "\"";
  if (index == workbook.active_sheet()) line += " active";
  if (sheet.hidden()) line += " hidden";
  const std::optional<BlockGeometry> used = sheet.UsedRange();
  line += used ? " used " + FormatArea(*used) : std::string(" empty");
  return line;
}

std::string HeaderRows(int count) {
  if (count == 0) return " (no header row)";
  return " (" + std::to_string(count) +
         (count == 1 ? " header row)" : " header rows)");
}

std::string NameLine(const Workbook& workbook, const BlockName& name) {
  std::string line = DescribeName(workbook, name);
  if (!name.usable()) return line + " not usable: " + name.unusable_reason;
  line.append(" ").append(FormatArea(name.block));
  line.append(" on \"").append(workbook.sheet(name.sheet).name()).append("\"");
  if (name.kind == BlockNameKind::kTable) line += HeaderRows(name.header_rows);
  return line;
}

}  // namespace

std::vector<std::string> ListingLines(const Workbook& workbook,
                                      const std::string& shown) {
  std::vector<std::string> lines;
  for (int i = 0; i < workbook.sheet_count(); ++i) {
    lines.push_back(shown + ": " + SheetLine(workbook, i));
  }
  for (const BlockName& name : workbook.names()) {
    lines.push_back(shown + ": " + NameLine(workbook, name));
  }
  return lines;
}

int ListWorkbooks(const std::vector<std::string>& workbooks, std::FILE* out,
                  std::FILE* err) {
  int status = 0;
  for (const std::string& path : workbooks) {
    try {
      for (const std::string& line : ListingLines(*ReadWorkbook(path), path)) {
        std::fprintf(out, "%s\n", line.c_str());
      }
    } catch (...) {
      const FailureText failure =
          DescribeFailure(path, std::current_exception());
      std::fflush(out);
      std::fprintf(err, "%s%s\n", kMessagePrefix,
                   PrintableText(failure.line).c_str());
      status = 1;
    }
  }
  return std::fflush(out) == 0 ? status : 1;
}

}  // namespace kestrilo::cli
