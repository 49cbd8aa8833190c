// SPDX-License-Identifier: MIT
// The option table and what is made from it: the rows themselves, --help,
// the man page's coverage, and the shells' completions run in bash and fish.

#include "cli/option_table.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/help_text.h"
#include "cli_test_support.h"
#include "engine/reading/workbook_formats.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace kestrilo::cli {
namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::Start;
using test_support::Wait;
using test_support::WriteFile;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;

std::vector<std::string> Spellings(const Option& option) {
  std::vector<std::string> spellings{option.name};
  if (option.short_name != nullptr) spellings.push_back(option.short_name);
  return spellings;
}

std::vector<std::string> AllSpellings() {
  std::vector<std::string> all;
  for (const Option& option : Options()) {
    for (const std::string& spelling : Spellings(option)) {
      all.push_back(spelling);
    }
  }
  return all;
}

TEST(OptionTableTest, EveryRowIsComplete) {
  std::set<std::string> seen;
  for (const Option& option : Options()) {
    const std::string name = option.name;
    EXPECT_TRUE(std::regex_match(name, std::regex("--[a-z0-9][-a-z0-9]*")))
        << name;
    if (option.short_name != nullptr) {
      EXPECT_TRUE(std::regex_match(option.short_name, std::regex("-[a-z0-9]")))
          << name;
    }
    for (const std::string& spelling : Spellings(option)) {
      EXPECT_TRUE(seen.insert(spelling).second) << "twice: " << spelling;
    }
    EXPECT_NE(option.apply, nullptr) << name;
    ASSERT_NE(option.help, nullptr) << name;
    // What the shells show beside the option: a few words.
    EXPECT_FALSE(Summary(option).empty()) << name;
    EXPECT_LE(Summary(option).size(), 70u) << name;
    EXPECT_EQ(option.completion == ValueCompletion::kWords,
              option.words != nullptr)
        << name;
    if (!option.takes_value()) {
      EXPECT_EQ(option.completion, ValueCompletion::kNothing) << name;
    }
  }
}

TEST(OptionTableTest, HelpFitsEightyColumns) {
  std::istringstream lines(HelpText());
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 79u) << line;
  }
}

TEST(ManPageTest, DocumentsEveryOptionOfTheTableAndNoOther) {
  const std::string source = ReadFile(KESTRILO_MAN_PAGE);
  ASSERT_FALSE(source.empty()) << KESTRILO_MAN_PAGE;
  for (const char* section :
       {".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION", ".SH OPTIONS",
        ".SH EXIT STATUS", ".SH EXAMPLES", ".SH FILES"}) {
    EXPECT_THAT(source, HasSubstr(section));
  }
  // roff writes a hyphen-minus as "\-", and switches fonts with "\fB"...
  const std::string page =
      std::regex_replace(std::regex_replace(source, std::regex(R"(\\-)"), "-"),
                         std::regex(R"(\\f[BIRP])"), " ");
  for (const std::string& spelling : AllSpellings()) {
    // Whole: "-o" must not be found inside "--order".
    const std::regex whole("(^|[^-a-zA-Z0-9])" + spelling +
                           "($|[^-a-zA-Z0-9])");
    EXPECT_TRUE(std::regex_search(page, whole)) << spelling;
  }
  // The first line of each entry of OPTIONS names its options.
  const std::string options =
      page.substr(page.find(".SH OPTIONS"),
                  page.find(".SH EXIT STATUS") - page.find(".SH OPTIONS"));
  const std::regex entry(R"(\.TP\n\.B[IR]? ([^\n]*))");
  const std::regex spelling(R"((^|[ ",])(--?[a-z0-9][-a-z0-9]*))");
  const std::vector<std::string> known = AllSpellings();
  int entries = 0;
  for (auto it = std::sregex_iterator(options.begin(), options.end(), entry);
       it != std::sregex_iterator(); ++it, ++entries) {
    const std::string head = (*it)[1];
    for (auto name = std::sregex_iterator(head.begin(), head.end(), spelling);
         name != std::sregex_iterator(); ++name) {
      EXPECT_NE(std::find(known.begin(), known.end(), (*name)[2]), known.end())
          << "the man page documents " << (*name)[2] << ", not in the table";
    }
  }
  EXPECT_GE(entries, static_cast<int>(Options().size()));
}

// --- The shells' completions, run in a folder with two workbooks, a file of
// another type and a subfolder.

struct CompletionCase {
  std::vector<std::string> words;  // after the program; the last is completed
  std::vector<std::string> expected;
};

std::vector<CompletionCase> CompletionCases() {
  return {{{"--he"}, {"--headers", "--help"}},
          {{"--headers", ""}, {"both", "column", "none", "row"}},
          {{"--order", "c"}, {"column"}},
          {{"--title", ""}, {}},
          {{"-o", ""}, {"sub"}},
          {{""}, {"-x.csv", "Book.XLSX", "prices.ods", "sub"}},
          {{"--", "-"}, {"-x.csv"}}};
}

class CompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kestrilo_completion_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    for (const char* name :
         {"Book.XLSX", "prices.ods", "notes.pdf", "-x.csv", "sub/inner.xlsx"}) {
      WriteFile(dir_ / name, "");
    }
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // The candidates `shell` prints, one a line, sorted, with a folder's
  // final "/" and fish's descriptions taken off.
  std::vector<std::string> Candidates(const std::string& shell,
                                      const std::vector<std::string>& args) {
    const int status =
        Wait(Start(shell, args, dir_, "", dir_ / ".out", dir_ / ".err"));
    EXPECT_EQ(status, 0) << ReadFile(dir_ / ".err");
    std::istringstream lines(ReadFile(dir_ / ".out"));
    std::vector<std::string> candidates;
    for (std::string line; std::getline(lines, line);) {
      line = line.substr(0, line.find('\t'));
      if (line.size() > 1 && line.back() == '/') line.pop_back();
      candidates.push_back(line);
    }
    std::sort(candidates.begin(), candidates.end());
    return candidates;
  }

  fs::path dir_;
};

// Sets the words as bash hands them to a completion function, then calls the
// function the script registered for kestrilo-cli.
constexpr char kBashDriver[] = R"(
source "$1" && source "$2" || exit 3
shift 2
COMP_WORDS=(kestrilo-cli "$@")
COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))
COMP_LINE="${COMP_WORDS[*]}"
COMP_POINT=${#COMP_LINE}
registered=$(complete -p kestrilo-cli) || exit 4
function=${registered##*-F }
function=${function%% *}
"$function" kestrilo-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
[[ ${#COMPREPLY[@]} -eq 0 ]] || printf '%s\n' "${COMPREPLY[@]}"
)";

TEST_F(CompletionTest, BashOffersOptionsValuesFoldersAndWorkbooks) {
  if (std::string(KESTRILO_BASH_COMPLETION).empty()) {
    GTEST_SKIP() << "bash-completion is not installed";
  }
  const std::string script =
      std::string(KESTRILO_COMPLETIONS_DIR) + "/kestrilo-cli";
  std::vector<CompletionCase> cases = CompletionCases();
  cases.push_back({{"-"}, AllSpellings()});
  for (CompletionCase& test : cases) {
    std::vector<std::string> args{"-c", kBashDriver, "bash",
                                  KESTRILO_BASH_COMPLETION, script};
    args.insert(args.end(), test.words.begin(), test.words.end());
    EXPECT_THAT(Candidates("/bin/bash", args),
                UnorderedElementsAreArray(test.expected))
        << ::testing::PrintToString(test.words);
  }
}

TEST_F(CompletionTest, FishOffersTheSame) {
  if (std::string(KESTRILO_FISH).empty()) GTEST_SKIP() << "no fish";
  const std::string script =
      std::string(KESTRILO_COMPLETIONS_DIR) + "/kestrilo-cli.fish";
  for (const CompletionCase& test : CompletionCases()) {
    std::string line = "kestrilo-cli";
    for (const std::string& word : test.words) line += " " + word;
    EXPECT_THAT(
        Candidates(KESTRILO_FISH,
                   {"--no-config", "-c",
                    "source $argv[1]; and complete -C$argv[2]", script, line}),
        UnorderedElementsAreArray(test.expected))
        << line;
  }
}

TEST_F(CompletionTest, ZshScriptParses) {
  if (std::string(KESTRILO_ZSH).empty()) GTEST_SKIP() << "no zsh";
  EXPECT_THAT(Candidates(KESTRILO_ZSH, {"-f", "-n",
                                        std::string(KESTRILO_COMPLETIONS_DIR) +
                                            "/_kestrilo-cli"}),
              ::testing::IsEmpty());
}

// The default of --ext is the engine's table of formats, and the man page
// says which those are.
TEST(ManPageTest, NamesTheFormatsReadAsTheDefaultExtensions) {
  std::string listed;
  for (const std::string& extension : WorkbookExtensions()) {
    listed += (listed.empty() ? "" : ",") + extension;
  }
  EXPECT_THAT(ReadFile(KESTRILO_MAN_PAGE),
              HasSubstr("Default: \\fB" + listed + "\\fR"));
  EXPECT_EQ(ParseCommandLine({"x"}).extensions, WorkbookExtensions());
}

}  // namespace
}  // namespace kestrilo::cli
