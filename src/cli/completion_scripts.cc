// SPDX-License-Identifier: MIT

#include "cli/completion_scripts.h"

#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "cli/option_table.h"

namespace kestrilo::cli {

namespace {

constexpr char kHeading[] = "kestrilo-cli, made from its table of options.\n";

// "xlsx|xlsm|...": the extensions the inputs complete to.
std::string ExtensionAlternatives() {
  std::string alternatives;
  for (const std::string& extension : CommandLine().extensions) {
    if (!alternatives.empty()) alternatives += '|';
    alternatives += extension;
  }
  return alternatives;
}

// Replaces every character of `special` in `text` by a backslash and itself.
std::string Escaped(std::string_view text, std::string_view special) {
  std::string escaped;
  for (char c : text) {
    if (special.find(c) != std::string_view::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// Bash: "-o | --output" as a case pattern.
std::string BashPattern(const Option& option) {
  return option.short_name == nullptr
             ? std::string(option.name)
             : std::string(option.short_name) + " | " + option.name;
}

std::string BashAction(const Option& option) {
  switch (option.completion) {
    case ValueCompletion::kWords:
      return std::string("COMPREPLY=($(compgen -W '") + option.words +
             "' -- \"$cur\"))";
    case ValueCompletion::kFile:
      return "_filedir";
    case ValueCompletion::kFolder:
      return "_filedir -d";
    case ValueCompletion::kNothing:
      break;
  }
  return "";  // free text: nothing to offer
}

// A case branch for each option that takes a value.
std::string BashValueCases() {
  std::string cases;
  for (const Option& option : Options()) {
    if (!option.takes_value()) continue;
    cases += "        " + BashPattern(option) + ")\n";
    const std::string action = BashAction(option);
    if (!action.empty()) cases += "            " + action + "\n";
    cases += "            return\n            ;;\n";
  }
  return cases;
}

std::string BashOptionWords() {
  std::string words;
  for (const Option& option : Options()) {
    if (!words.empty()) words += ' ';
    if (option.short_name != nullptr) {
      words += option.short_name + std::string(" ");
    }
    words += option.name;
  }
  return words;
}

// Zsh: `text` inside a single-quoted word, with `special`, the characters
// _arguments reads there, escaped.
std::string ZshQuoted(std::string_view text, std::string_view special) {
  std::string quoted;
  for (char c : Escaped(text, special)) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted;
}

std::string ZshAction(const Option& option) {
  switch (option.completion) {
    case ValueCompletion::kWords:
      return std::string("(") + option.words + ")";
    case ValueCompletion::kFile:
      return "_files";
    case ValueCompletion::kFolder:
      return "_files -/";
    case ValueCompletion::kNothing:
      break;
  }
  return " ";  // no values to offer: zsh shows the message alone
}

// One argument of _arguments: '(-o --output)'{-o+,--output=}'[...]:DIR:...'.
std::string ZshSpec(const Option& option) {
  const std::string summary =
      std::string("[") + ZshQuoted(Summary(option), "\\[]:") + "]";
  const std::string value =
      option.takes_value() ? std::string(":") + ZshQuoted(option.value, "\\:") +
                                 ":" + ZshQuoted(ZshAction(option), "")
                           : "";
  const std::string suffix = option.takes_value() ? "=" : "";
  if (option.short_name == nullptr) {
    return std::string("'") + option.name + suffix + summary + value + "'";
  }
  const std::string short_suffix = option.takes_value() ? "+" : "";
  return std::string("'(") + option.short_name + " " + option.name + ")'{" +
         option.short_name + short_suffix + "," + option.name + suffix + "}'" +
         summary + value + "'";
}

std::string FishQuoted(std::string_view text) {
  return std::string("'") + Escaped(text, "\\'") + "'";
}

std::string FishLine(const Option& option) {
  std::string line = "complete -c kestrilo-cli";
  if (option.short_name != nullptr) {
    line += std::string(" -s ") + (option.short_name + 1);
  }
  line += std::string(" -l ") + (option.name + 2);
  if (option.takes_value()) {
    switch (option.completion) {
      case ValueCompletion::kWords:
        line += " -x -a ";
        line += FishQuoted(option.words);
        break;
      case ValueCompletion::kFile:
        line += " -r -F";
        break;
      case ValueCompletion::kFolder:
        line += " -x -a '(__fish_complete_directories (commandline -ct))'";
        break;
      case ValueCompletion::kNothing:
        line += " -x";
        break;
    }
  }
  return line + " -d " + FishQuoted(Summary(option)) + "\n";
}

}  // namespace

std::string BashCompletion() {
  return std::string("# bash completion for ") + kHeading +
         "\n"
         "_kestrilo_cli()\n"
         "{\n"
         "    local cur prev words cword split\n"
         "    _init_completion -s || return\n"
         "\n"
         "    local i\n"
         "    for ((i = 1; i < cword; i++)); do\n"
         "        if [[ ${words[i]} == -- ]]; then\n"
         "            _filedir '@(" +
         ExtensionAlternatives() +
         ")'\n"
         "            return\n"
         "        fi\n"
         "    done\n"
         "\n"
         "    case $prev in\n" +
         BashValueCases() +
         "    esac\n"
         "    $split && return\n"
         "\n"
         "    if [[ $cur == -* ]]; then\n"
         "        COMPREPLY=($(compgen -W '" +
         BashOptionWords() +
         "' -- \"$cur\"))\n"
         "        return\n"
         "    fi\n"
         "    _filedir '@(" +
         ExtensionAlternatives() +
         ")'\n"
         "}\n"
         "complete -F _kestrilo_cli kestrilo-cli\n";
}

std::string ZshCompletion() {
  std::string script =
      std::string("#compdef kestrilo-cli\n# zsh completion for ") + kHeading +
      "\n_arguments -S";
  for (const Option& option : Options()) {
    script += " \\\n  " + ZshSpec(option);
  }
  return script + " \\\n  '*:workbook or folder:_files -g \"*.(#i)(" +
         ExtensionAlternatives() + ")(-.)\"'\n";
}

std::string FishCompletion() {
  std::string script =
      std::string("# fish completion for ") + kHeading +
      "\n"
      "# Folders, and files of the types it reads, in any "
      "letter case.\n"
      "function __kestrilo_cli_inputs\n"
      "    string match -rie -- '(?:/|\\.(?:" +
      ExtensionAlternatives() +
      "))$' \\\n"
      "        (complete -C\"__fish_command_without_completions "
      "\"(commandline -ct))\n"
      "end\n"
      "complete -c kestrilo-cli -f -a '(__kestrilo_cli_inputs)'\n";
  for (const Option& option : Options()) script += FishLine(option);
  return script;
}

}  // namespace kestrilo::cli
