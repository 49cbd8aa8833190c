// SPDX-License-Identifier: MIT

#include "cli/option_table.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "cli/usage_error.h"
#include "engine/conversion/block_resolver.h"
#include "engine/model/address_error.h"
#include "engine/model/range_address.h"

namespace kestrilo::cli {

namespace {

constexpr int kMaxJobs = 1024;

// Parses a whole decimal number; nothing for anything else.
std::optional<int> ParseNumber(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

void SetHeaders(const std::string& value, CommandLine& line) {
  ExportOptions& options = line.options;
  if (value == "row") {
    options.header_row = true;
    options.header_column = false;
  } else if (value == "column") {
    options.header_row = false;
    options.header_column = true;
  } else if (value == "both") {
    options.header_row = true;
    options.header_column = true;
  } else if (value == "none") {
    options.header_row = false;
    options.header_column = false;
  } else {
    throw UsageError("--headers takes row, column, both or none, not '" +
                     value + "'");
  }
}

void SetOrder(const std::string& value, CommandLine& line) {
  if (value == "row") {
    line.options.row_first = true;
  } else if (value == "column") {
    line.options.row_first = false;
  } else {
    throw UsageError("--order takes row or column, not '" + value + "'");
  }
}

void SetSheet(const std::string& value, CommandLine& line) {
  if (value.empty()) throw UsageError("--sheet needs a name or a number");
  line.sheet_name.clear();
  line.sheet_number.reset();
  if (value.find_first_not_of("0123456789") == std::string::npos) {
    std::optional<int> number = ParseNumber(value);
    if (!number || *number < 1) {
      throw UsageError("--sheet number must be 1 or more, not '" + value + "'");
    }
    line.sheet_number = number;
  } else {
    line.sheet_name = value;
  }
}

// An address, or a name that each workbook looks up for itself.
void SetRange(const std::string& value, CommandLine& line) {
  if (!MayNameABlock(value)) {
    try {
      ParseAddress(value);
    } catch (const AddressError& error) {
      throw UsageError("--range '" + value + "': " + error.what() +
                       " It is no defined name or table name either.");
    }
  }
  line.range = value;
}

void SetJobs(const std::string& value, CommandLine& line) {
  std::optional<int> number = ParseNumber(value);
  if (!number || *number < 1 || *number > kMaxJobs) {
    throw UsageError("--jobs takes a number from 1 to " +
                     std::to_string(kMaxJobs) + ", not '" + value + "'");
  }
  line.jobs = *number;
}

// "2G", "500M", "64k", "1000000": bytes, the letters counting 1024s as
// sizes of files do; "0" lifts the limit.
void SetMaxOutput(const std::string& value, CommandLine& line) {
  std::uint64_t number = 0;
  const char* end = value.data() + value.size();
  const auto [rest, error] = std::from_chars(value.data(), end, number);
  int shift = 0;
  if (rest != end && rest + 1 == end) {
    switch (*rest | 0x20) {
      case 'k':
        shift = 10;
        break;
      case 'm':
        shift = 20;
        break;
      case 'g':
        shift = 30;
        break;
      case 't':
        shift = 40;
        break;
    }
  }
  if (value.empty() || error != std::errc() || (rest != end && shift == 0) ||
      (number >> (64 - shift - 1)) != 0) {
    throw UsageError("--max-output takes a size such as 2G, 500M or 0, not '" +
                     value + "'");
  }
  line.max_output = number << shift;
}

// "xlsx,ods,csv" gives its three extensions.
void SetExtensions(const std::string& value, CommandLine& line) {
  if (value.empty()) throw UsageError("--ext needs an extension");
  line.extensions.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    std::string extension = value.substr(start, comma - start);
    if (extension.empty()) {
      throw UsageError("--ext '" + value + "' holds an empty extension");
    }
    line.extensions.push_back(std::move(extension));
    if (comma == std::string::npos) return;
    start = comma + 1;
  }
}

// The value of an option that names a file or folder: never empty.
std::string NonEmpty(const std::string& value, const char* message) {
  if (value.empty()) throw UsageError(message);
  return value;
}

using Line = CommandLine;
using Text = const std::string&;
constexpr ValueCompletion kWords = ValueCompletion::kWords;
constexpr ValueCompletion kFile = ValueCompletion::kFile;
constexpr ValueCompletion kFolder = ValueCompletion::kFolder;

constexpr Option kOptions[] = {
    {.name = "--range",
     .value = "ADDR|NAME",
     .help = "the block to convert: an A1 address such as B2:D4, $B$2:$D$4 "
             "or 'Sheet 2'!A1:C9 (default: the used range of the sheet); "
             "whole columns (A:C) or rows (2:9) mean their filled part; or a "
             "defined name or table name of the workbook (a table with its "
             "header row), looked up from the sheet of --sheet or the active "
             "one; Sheet!NAME for the name of that sheet; a workbook without "
             "it fails",
     .apply = SetRange},
    {.name = "--sheet",
     .value = "NAME|NUMBER",
     .help = "the sheet when the address names none: by name, or by number "
             "counted from 1 (default: the active sheet)",
     .apply = SetSheet},
    {.name = "--headers",
     .value = "MODE",
     .completion = kWords,
     .words = "row column both none",
     .help = "which of the block's first row and first column hold the tag "
             "names: row, column, both or none (default: row)",
     .apply = SetHeaders},
    {.name = "--order",
     .value = "row|column",
     .completion = kWords,
     .words = "row column",
     .help = "the hierarchy, row first or column first: for the layouts with "
             "both headers or none (default: row)",
     .apply = SetOrder},
    {.name = "--title",
     .value = "TEXT",
     .help = "the outermost tag, spaces removed (default: XML)",
     .apply = [](Text value, Line& line) { line.options.title = value; }},
    {.name = "--no-title-tag",
     .help = "no outermost tag",
     .apply = [](Text, Line& line) { line.options.title_tag = false; }},
    {.name = "--no-escape",
     .help = "write cell text raw: &, < and > not as &amp; &lt; &gt; (the "
             "old behaviour; the result may not be well-formed XML)",
     .apply = [](Text, Line& line) { line.options.escape_text = false; }},
    {.name = "--valid-names",
     .help = "valid tag names, the default: characters an XML name may not "
             "hold and : become _, and a name that does not start with a "
             "letter or _ gets _ in front (<2> gives <_2>); with escaping, "
             "the result is always well-formed, namespaces read or not",
     .apply = [](Text, Line& line) { line.options.valid_names = true; }},
    {.name = "--raw-names",
     .help = "tag names as the cells give them, as older versions wrote them "
             "(<2>, <a:b>); the result may not be well-formed XML",
     .apply = [](Text, Line& line) { line.options.valid_names = false; }},
    {.name = "--records",
     .value = "NAME",
     .help =
         "one NAME element for each row below the first, in the title's "
         "(the records layout): the first row's headers give its shape, name "
         "for a child element, @name for an attribute, a/b for nested "
         "elements, a/@x for an attribute of one, a[2]/b for the second "
         "a, and a header that repeats an earlier one for the next such "
         "element; values in XML Schema forms (true, 2021-08-31T13:45:00), "
         "empty attributes and elements left out; always escaped, with "
         "valid names; --headers and --order do not apply",
     .apply =
         [](Text value, Line& line) {
           line.options.records = true;
           line.options.record_tag =
               NonEmpty(value, "--records needs the records' tag name");
         }},
    {.name = "--keep-empty",
     .help = "keep empty attributes and elements (with --records): write "
             "those whose cells are all empty too, empty, instead of leaving "
             "them out",
     .apply = [](Text, Line& line) { line.options.keep_empty = true; }},
    {.name = "--schema",
     .help = "write an XML Schema beside each file (with --records): "
             "Book1.xsd beside Book1.xml, named by the XML's root; types "
             "inferred from every value of a column",
     .apply = [](Text, Line& line) { line.options.schema = true; }},
    {.name = "--max-output",
     .value = "SIZE",
     .help = "the most XML one workbook may give (default 2G; K, M, G, T "
             "count 1024s; 0 for no limit): a block whose least XML is larger "
             "fails at once, naming its cells, and a text that grows beyond "
             "it stops there",
     .apply = SetMaxOutput},
    {.name = "--as-displayed",
     .help = "write each cell as a spreadsheet shows it, its number format "
             "applied (12.50%, $12.50, 8/31/2021), instead of its value; "
             "General numbers in at most 11 characters, booleans TRUE and "
             "FALSE, errors their code",
     .apply = [](Text, Line& line) { line.options.as_displayed = true; }},
    {.name = "--output",
     .short_name = "-o",
     .value = "DIR",
     .completion = kFolder,
     .help = "output folder, created if missing (default: the current "
             "folder); -o - writes the XML of a single workbook to standard "
             "output",
     .apply =
         [](Text value, Line& line) {
           line.output = NonEmpty(value, "-o/--output needs a folder or -");
         }},
    {.name = "--keep-tree",
     .help = "mirror the input folders below DIR: a workbook found below a "
             "folder INPUT writes to the same relative folder below DIR, made "
             "as needed, so that a/q1.xlsx and b/q1.xlsx do not collide; file "
             "INPUTs still write into DIR itself",
     .apply = [](Text, Line& line) { line.keep_tree = true; }},
    {.name = "--ext",
     .value = "EXT[,EXT...]",
     .help = "extensions of the files a folder adds: the patterns are *.EXT "
             "(default: every format the tool reads)",
     .apply = SetExtensions},
    {.name = "--files-from",
     .value = "FILE",
     .completion = kFile,
     .help = "more INPUTs, one a line, read from FILE (- for standard input), "
             "after those of the command line; names are taken byte for "
             "byte; with --keep-tree a relative name keeps its folders below "
             "DIR",
     .apply =
         [](Text value, Line& line) {
           line.files_from = NonEmpty(value, "--files-from needs a file or -");
         }},
    {.name = "--null",
     .short_name = "-0",
     .help = "names in the --files-from FILE end with a NUL byte: as find "
             "-print0 writes them, not with a line end",
     .apply = [](Text, Line& line) { line.null_separated = true; }},
    {.name = "--report",
     .value = "FILE",
     .completion = kFile,
     .help = "a JSON line per workbook in FILE: one object, written as each "
             "finishes, with input, output, status (converted, skipped or "
             "failed), reason, warnings, block, rows, columns, bytes, "
             "seconds; - writes them to standard output",
     .apply =
         [](Text value, Line& line) {
           line.report = NonEmpty(value, "--report needs a file or -");
         }},
    {.name = "--jobs",
     .short_name = "-j",
     .value = "N",
     .help = "workbooks converted at the same time (default: the number of "
             "hardware threads); the output is the same for every N",
     .apply = SetJobs},
    {.name = "--quiet",
     .short_name = "-q",
     .help = "no progress bar and no summary line",
     .apply = [](Text, Line& line) { line.quiet = true; }},
    {.name = "--list",
     .help = "list each workbook's sheets, names and tables instead of "
             "converting: one line per sheet (active, hidden, used range), "
             "per defined name and per table (its block and sheet, or why it "
             "is not usable) to standard output",
     .apply = [](Text, Line& line) { line.list = true; }},
    {.name = "--help",
     .short_name = "-h",
     .help = "show this help",
     .apply = [](Text, Line& line) { line.help = true; }},
    {.name = "--version",
     .help = "show the version",
     .apply = [](Text, Line& line) { line.version = true; }},
};

}  // namespace

std::span<const Option> Options() { return kOptions; }

const Option* FindOption(std::string_view spelling) {
  for (const Option& option : kOptions) {
    if (spelling == option.name ||
        (option.short_name != nullptr && spelling == option.short_name)) {
      return &option;
    }
  }
  return nullptr;
}

std::string Summary(const Option& option) {
  const std::string_view help = option.help;
  std::size_t end = help.size();
  for (std::string_view mark : {": ", "; ", " ("}) {
    end = std::min(end, help.find(mark));
  }
  return std::string(help.substr(0, end));
}

}  // namespace kestrilo::cli
