// SPDX-License-Identifier: MIT

#include "cli/command_line.h"

#include "cli/option_table.h"
#include "cli/usage_error.h"

namespace kestrilo::cli {

namespace {

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

void ParseOption(const std::string& arg, ArgumentCursor& cursor,
                 CommandLine& line) {
  const std::size_t equals = arg.find('=');
  if (arg.starts_with("--") && equals != std::string::npos) {
    const std::string name = arg.substr(0, equals);
    const Option* option = FindOption(name);
    if (option == nullptr) throw UsageError("unknown option " + name);
    if (!option->takes_value()) {
      throw UsageError("option " + name + " takes no value");
    }
    option->apply(arg.substr(equals + 1), line);
    return;
  }
  if (const Option* option = FindOption(arg)) {
    option->apply(option->takes_value() ? cursor.Value(arg) : std::string(),
                  line);
    return;
  }
  if (arg.size() > 2 && arg[1] != '-') {  // -oDIR
    const Option* option = FindOption(arg.substr(0, 2));
    if (option != nullptr && option->takes_value()) {
      option->apply(arg.substr(2), line);
      return;
    }
  }
  throw UsageError("unknown option " + arg);
}

// The records layout's options go together, and with nothing that would
// make its XML less than well-formed.
void CheckRecords(const CommandLine& line) {
  const ExportOptions& options = line.options;
  if (!options.records) {
    if (options.keep_empty) {
      throw UsageError("--keep-empty applies to --records, which is missing");
    }
    if (options.schema) {
      throw UsageError("--schema applies to --records, which is missing");
    }
    return;
  }
  if (!options.title_tag) {
    throw UsageError(
        "--records writes its records inside the title tag: "
        "--no-title-tag cannot go with it");
  }
  if (!options.escape_text) {
    throw UsageError(
        "--records always escapes its text: --no-escape cannot "
        "go with it");
  }
  if (!options.valid_names) {
    throw UsageError(
        "--records always makes its names valid: --raw-names cannot go "
        "with it");
  }
  if (options.schema && line.to_stdout()) {
    throw UsageError(
        "--schema writes a file beside each XML file, which -o - "
        "has not");
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
  CheckRecords(line);
  return line;
}

}  // namespace kestrilo::cli
