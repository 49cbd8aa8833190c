// SPDX-License-Identifier: MIT

#include "cli/help_text.h"

#include <string>
#include <string_view>
#include <vector>

#include "cli/option_table.h"

namespace kestrilo::cli {

namespace {

constexpr std::size_t kWidth = 79;
// Where the help of each option begins, and the room its name takes.
constexpr std::size_t kHelpColumn = 21;
constexpr std::size_t kOptionIndent = 2;
// Where the usage's list of options begins: after "  options: ".
constexpr std::size_t kUsageColumn = 11;

constexpr char kHelpStart[] = R"(usage: kestrilo-cli [options] INPUT...

Converts a block of cells of each workbook into an XML file named after the
workbook (Book1.xlsx gives Book1.xml) in the output folder.

INPUT is a workbook file (xlsx, xlsm, ods, xls, csv) or a folder; a folder
adds every matching file in it and in all folders below it, skipping names
that begin with "~".

Options:
)";

constexpr char kHelpEnd[] = R"(
Warnings and errors go to standard error, one line each, naming the file.
A sheet without cells (and no --range) is skipped with a warning. When two
inputs give the same output file, the later one replaces the earlier. A
workbook that cannot be read or written is reported and the others still
run. An interrupt (Ctrl-C or SIGHUP) lets the workbooks under way finish
and begins no more; a second one, or a first SIGTERM, stops at once,
removing the files being written and keeping those finished. A replaced
output file keeps its permissions.

Exit status: 0 all converted (or skipped as empty), 1 any workbook failed,
2 wrong usage, 130 interrupted.
)";

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t space = text.find(' ', start);
    if (space == std::string_view::npos) space = text.size();
    if (space > start) words.emplace_back(text.substr(start, space - start));
    start = space + 1;
  }
  return words;
}

// Appends `pieces` separated by `separator` to `out`, whose last line is
// `column` characters long, starting a line indented by `indent` wherever
// the next piece would pass kWidth. Ends with a line end.
void AppendWrapped(const std::vector<std::string>& pieces,
                   std::string_view separator, std::size_t column,
                   std::size_t indent, std::string& out) {
  bool line_empty = true;
  for (const std::string& piece : pieces) {
    const std::size_t needed =
        (line_empty ? 0 : separator.size()) + piece.size();
    if (!line_empty && column + needed > kWidth) {
      out += '\n';
      out.append(indent, ' ');
      column = indent;
      line_empty = true;
    }
    if (!line_empty) {
      out += separator;
      column += separator.size();
    }
    out += piece;
    column += piece.size();
    line_empty = false;
  }
  out += '\n';
}

// "-o, --output DIR" and "--keep-tree".
std::string Spellings(const Option& option) {
  std::string label;
  if (option.short_name != nullptr)
    label = option.short_name + std::string(", ");
  label += option.name;
  if (option.takes_value()) label += std::string(" ") + option.value;
  return label;
}

void AppendOptionHelp(const Option& option, std::string& out) {
  const std::string label = Spellings(option);
  out.append(kOptionIndent, ' ');
  out += label;
  if (kOptionIndent + label.size() < kHelpColumn) {
    out.append(kHelpColumn - kOptionIndent - label.size(), ' ');
  } else {
    out += '\n';
    out.append(kHelpColumn, ' ');
  }
  AppendWrapped(Words(option.help), " ", kHelpColumn, kHelpColumn, out);
}

std::string MakeUsageText() {
  std::vector<std::string> spellings;
  for (const Option& option : Options()) {
    spellings.push_back(option.takes_value()
                            ? std::string(option.name) + " " + option.value
                            : option.name);
  }
  std::string text =
      "usage: kestrilo-cli [options] INPUT...\n"
      "  INPUT: workbook files (xlsx, xlsm, ods, xls, csv) and folders\n"
      "  options: ";
  AppendWrapped(spellings, "  ", kUsageColumn, kUsageColumn, text);
  return text + "Try 'kestrilo-cli --help' for more.\n";
}

std::string MakeHelpText() {
  std::string text = kHelpStart;
  for (const Option& option : Options()) AppendOptionHelp(option, text);
  return text + kHelpEnd;
}

}  // namespace

const char* UsageText() {
  static const std::string text = MakeUsageText();
  return text.c_str();
}

const char* HelpText() {
  static const std::string text = MakeHelpText();
  return text.c_str();
}

}  // namespace kestrilo::cli
