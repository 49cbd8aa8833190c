#include "cli/command_line.h"

#include <charconv>
#include <string_view>

#include "cli/named_block.h"
#include "cli/usage_error.h"
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

// Walks the arguments, handing out option values as "--name VALUE" or
// "--name=VALUE" (and "-o DIR" or "-oDIR").
class ArgumentCursor {
 public:
  explicit ArgumentCursor(const std::vector<std::string>& args) : args_(args) {}

  bool done() const { return index_ >= args_.size(); }
  const std::string& Next() { return args_[index_++]; }

  // The value of `option`, which was written without an attached value.
  std::string Value(const std::string& option) {
    if (done()) throw UsageError("option " + option + " needs a value");
    return Next();
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t index_ = 0;
};

void SetHeaders(const std::string& value, ExportOptions& options) {
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

void SetOrder(const std::string& value, ExportOptions& options) {
  if (value == "row") {
    options.row_first = true;
  } else if (value == "column") {
    options.row_first = false;
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
  if (!IsBlockName(value)) {
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

// "xlsx,ods,csv" gives its three extensions.
std::vector<std::string> SplitExtensions(const std::string& value) {
  std::vector<std::string> extensions;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    std::string extension = value.substr(start, comma - start);
    if (extension.empty()) {
      throw UsageError("--ext '" + value + "' holds an empty extension");
    }
    extensions.push_back(std::move(extension));
    if (comma == std::string::npos) return extensions;
    start = comma + 1;
  }
}

// Applies one option that takes a value. Returns false for names that are
// not such options.
bool ApplyValueOption(const std::string& name, const std::string& value,
                      CommandLine& line) {
  if (name == "--ext") {
    if (value.empty()) throw UsageError("--ext needs an extension");
    line.extensions = SplitExtensions(value);
  } else if (name == "--files-from") {
    if (value.empty()) throw UsageError("--files-from needs a file or -");
    line.files_from = value;
  } else if (name == "--report") {
    if (value.empty()) throw UsageError("--report needs a file or -");
    line.report = value;
  } else if (name == "--range") {
    SetRange(value, line);
  } else if (name == "--sheet") {
    SetSheet(value, line);
  } else if (name == "--headers") {
    SetHeaders(value, line.options);
  } else if (name == "--order") {
    SetOrder(value, line.options);
  } else if (name == "--title") {
    line.options.title = value;
  } else if (name == "-o" || name == "--output") {
    if (value.empty()) throw UsageError(name + " needs a folder or -");
    line.output = value;
  } else if (name == "--jobs" || name == "-j") {
    SetJobs(value, line);
  } else {
    return false;
  }
  return true;
}

// Applies one option without a value. Returns false for unknown names.
bool ApplyFlag(const std::string& name, CommandLine& line) {
  if (name == "--no-title-tag") {
    line.options.title_tag = false;
  } else if (name == "--no-escape") {
    line.options.escape_text = false;
  } else if (name == "--valid-names" || name == "--raw-names") {
    line.options.valid_names = name == "--valid-names";
  } else if (name == "--null" || name == "-0") {
    line.null_separated = true;
  } else if (name == "--keep-tree") {
    line.keep_tree = true;
  } else if (name == "--list") {
    line.list = true;
  } else if (name == "--quiet" || name == "-q") {
    line.quiet = true;
  } else if (name == "--help" || name == "-h") {
    line.help = true;
  } else if (name == "--version") {
    line.version = true;
  } else {
    return false;
  }
  return true;
}

bool IsValueOption(const std::string& name) {
  static const char* const kNames[] = {
      "--ext", "--range",  "--sheet", "--headers", "--order",      "--title",
      "-o",    "--output", "--jobs",  "-j",        "--files-from", "--report"};
  for (const char* known : kNames) {
    if (name == known) return true;
  }
  return false;
}

void ParseOption(const std::string& arg, ArgumentCursor& cursor,
                 CommandLine& line) {
  const std::size_t equals = arg.find('=');
  if (arg.starts_with("--") && equals != std::string::npos) {
    const std::string name = arg.substr(0, equals);
    if (!IsValueOption(name)) {
      throw UsageError("option " + name + " takes no value");
    }
    ApplyValueOption(name, arg.substr(equals + 1), line);
  } else if (IsValueOption(arg)) {
    ApplyValueOption(arg, cursor.Value(arg), line);
  } else if (arg.size() > 2 && arg[1] != '-' &&
             IsValueOption(arg.substr(0, 2))) {
    ApplyValueOption(arg.substr(0, 2), arg.substr(2), line);  // -oDIR
  } else if (!ApplyFlag(arg, line)) {
    throw UsageError("unknown option " + arg);
  }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  ArgumentCursor cursor(args);
  bool options_ended = false;
  while (!cursor.done()) {
    const std::string& arg = cursor.Next();
    if (!options_ended && arg == "--") {
      options_ended = true;
    } else if (!options_ended && arg.size() > 1 && arg[0] == '-') {
      ParseOption(arg, cursor, line);
    } else {
      line.inputs.push_back(arg);
    }
  }
  if (line.help || line.version) return line;
  if (line.inputs.empty() && line.files_from.empty()) {
    throw UsageError("no input workbook or folder");
  }
  if (line.list) return line;  // writes nothing: output options do not matter
  if (line.report == "-" && line.to_stdout()) {
    throw UsageError("--report - needs the XML to go to files (-o DIR)");
  }
  if (line.null_separated && line.files_from.empty()) {
    throw UsageError("-0 applies to --files-from, which is missing");
  }
  return line;
}

const char* UsageText() {
  return "usage: kestrilo-cli [options] INPUT...\n"
         "  INPUT: workbook files (xlsx, xlsm, ods, xls, csv) and folders\n"
         "  options: --range ADDR  --sheet NAME|NUMBER  "
         "--headers row|column|both|none\n"
         "           --order row|column  --title TEXT  --no-title-tag  "
         "--no-escape\n"
         "           --raw-names\n"
         "           -o DIR|-  --keep-tree  --ext EXT[,EXT...]  "
         "--files-from FILE|-  -0\n"
         "           --report FILE|-  --jobs N  --quiet  --list  --help  "
         "--version\n"
         "Try 'kestrilo-cli --help' for more.\n";
}

const char* HelpText() {
  return R"(usage: kestrilo-cli [options] INPUT...

Converts a block of cells of each workbook into an XML file named after the
workbook (Book1.xlsx gives Book1.xml) in the output folder.

INPUT is a workbook file (xlsx, xlsm, ods, xls, csv) or a folder; a folder
adds every matching file in it and in all folders below it, skipping names
that begin with "~".

Options:
  --range ADDR|NAME  the block, as an A1 address: B2:D4, $B$2:$D$4,
                     'Sheet 2'!A1:C9 (default: the used range of the sheet);
                     whole columns (A:C) or rows (2:9) mean their filled part;
                     or a defined name or table name of the workbook (a
                     table with its header row), looked up from the sheet
                     of --sheet or the active one; Sheet!NAME for the name
                     of that sheet; a workbook without it fails
  --sheet NAME|NUMBER
                     the sheet when the address names none, by name or by
                     number counted from 1 (default: the active sheet)
  --headers MODE     row, column, both or none: which of the block's first
                     row and first column hold the tag names (default: row)
  --order row|column hierarchy row first or column first, for the layouts
                     with both headers or none (default: row)
  --title TEXT       the outermost tag, spaces removed (default: XML)
  --no-title-tag     no outermost tag
  --no-escape        write cell text raw, without &amp; &lt; &gt; (the old
                     behaviour; the result may not be well-formed XML)
  --raw-names        keep tag names as the headers give them, as older
                     versions did (<2>, <a:b>); the result may not be
                     well-formed XML. By default every tag name is a valid
                     XML name that namespace-aware parsers accept too:
                     characters a name may not hold and : become _, and a
                     name that does not start with a letter or _ gets _ in
                     front (<2> gives <_2>, an empty title <_>); with
                     escaping, the result is always well-formed.
                     --valid-names asks for that default explicitly
  -o, --output DIR   output folder, created if missing (default: the
                     current folder); -o - writes the XML of a single
                     workbook to standard output
  --keep-tree        a workbook found below a folder INPUT writes to the same
                     relative folder below DIR, made as needed, so that
                     a/q1.xlsx and b/q1.xlsx do not collide; file INPUTs
                     still write into DIR itself
  --ext EXT[,EXT...] extensions of the files a folder adds: the patterns
                     are *.EXT (default: xlsx,xlsm,xltx,xltm,ods,xls,csv,txt)
  --files-from FILE  more INPUTs, one a line, read from FILE (- for standard
                     input), after those of the command line; names are
                     taken byte for byte; with --keep-tree a relative name
                     keeps its folders below DIR
  -0, --null         names in the --files-from FILE end with a NUL byte, as
                     find -print0 writes them, not with a line end
  --report FILE      one JSON object per workbook, one a line, written as
                     each finishes: input, output, status (converted,
                     skipped or failed), reason, warnings, block, rows,
                     columns, bytes, seconds; - writes it to standard output
  -j, --jobs N       workbooks converted at the same time (default: the
                     number of hardware threads); the output is the same
                     for every N
  -q, --quiet        no progress bar and no summary line
  --list             convert nothing: print for each workbook one line per
                     sheet (active, hidden, used range), per defined name
                     and per table (its block and sheet, or why it is not
                     usable) to standard output
  -h, --help         this text
  --version          the version

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
}

}  // namespace kestrilo::cli
