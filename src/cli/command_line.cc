#include "cli/command_line.h"

#include <charconv>
#include <string_view>

#include "cli/usage_error.h"
#include "engine/address_error.h"
#include "engine/range_address.h"

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

void SetRange(const std::string& value, CommandLine& line) {
  try {
    ParseAddress(value);
  } catch (const AddressError& error) {
    throw UsageError("--range '" + value + "': " + error.what());
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

// Applies one option that takes a value. Returns false for names that are
// not such options.
bool ApplyValueOption(const std::string& name, const std::string& value,
                      CommandLine& line) {
  if (name == "--ext") {
    if (value.empty()) throw UsageError("--ext needs an extension");
    line.extension = value;
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
      "--ext",   "--range", "--sheet",  "--headers", "--order",
      "--title", "-o",      "--output", "--jobs",    "-j"};
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
  if (line.inputs.empty()) throw UsageError("no input workbook or folder");
  return line;
}

const char* UsageText() {
  return "usage: kestrilo-cli [options] INPUT...\n"
         "  INPUT: workbook files (xlsx, xlsm, ods, xls, csv) and folders\n"
         "  options: --range ADDR  --sheet NAME|NUMBER  "
         "--headers row|column|both|none\n"
         "           --order row|column  --title TEXT  --no-title-tag  "
         "--no-escape\n"
         "           -o DIR|-  --ext EXT  --jobs N  --quiet  --help  "
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
  --range ADDR       the block, as an A1 address: B2:D4, $B$2:$D$4,
                     'Sheet 2'!A1:C9 (default: the used range of the sheet);
                     whole columns (A:C) or rows (2:9) mean their filled part
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
  -o DIR             output folder, created if missing (default: the
                     current folder); -o - writes the XML of a single
                     workbook to standard output
  --ext EXT          extension of the files a folder adds: the pattern is
                     *.EXT (default: xl*)
  --jobs N           workbooks converted at the same time (default: the
                     number of hardware threads); the output is the same
                     for every N
  --quiet            no progress bar and no summary line
  --help             this text
  --version          the version

Warnings and errors go to standard error, one line each, naming the file.
A sheet without cells (and no --range) is skipped with a warning. When two
inputs give the same output file, the later one replaces the earlier. A
workbook that cannot be read or written is reported and the others still
run. An interrupt (Ctrl-C, SIGTERM or SIGHUP) lets the workbooks under way
finish and begins no more; a second one stops at once and removes the
files it was writing. A replaced output file keeps its permissions.

Exit status: 0 all converted (or skipped as empty), 1 any workbook failed,
2 wrong usage, 130 interrupted.
)";
}

}  // namespace kestrilo::cli
