// SPDX-License-Identifier: MIT
// Reads every workbook of the shared corpus and compares every referenced
// cell with the values that independent readers found. Differences that are
// understood are listed, with their reason, in corpus_exceptions/<folder>.tsv.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "corpus_reference.h"
#include "engine/input/workbook_error.h"
#include "engine/model/workbook.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/cell_text.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(KESTRILO_SHARED_DIR) / "corpus";
const fs::path kExceptions = fs::path(KESTRILO_FIXTURES_DIR).parent_path() /
                             "engine" / "reading" / "corpus_exceptions";

struct CorpusFile {
  std::string folder;  // xlsx, ods, xls, csv, bad
  std::string name;
};

void PrintTo(const CorpusFile& file, std::ostream* out) {
  *out << file.folder << "/" << file.name;
}

std::vector<CorpusFile> CorpusFiles() {
  std::vector<CorpusFile> files;
  for (const char* folder : {"xlsx", "ods", "xls", "csv", "bad"}) {
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kCorpus / folder, error)) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 9 && name.ends_with(".ref.json")) continue;
      if (fs::exists(entry.path().string() + ".ref.json"))
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (auto& name : names) files.push_back({folder, std::move(name)});
  }
  return files;
}

struct Difference {
  std::string sheet;
  std::string cell;
  std::string text;
};

struct Exception {
  std::string sheet;
  std::string cell;
  std::string reason;
  bool used = false;
};

// Lines "file<TAB>sheet<TAB>cell<TAB>reason"; "*" matches any sheet or cell.
std::vector<Exception> ExceptionsFor(const CorpusFile& file) {
  std::vector<Exception> exceptions;
  std::ifstream in(kExceptions / (file.folder + ".tsv"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    if (fields.size() < 4 || fields[0] != file.name) continue;
    exceptions.push_back({fields[1], fields[2], fields[3]});
  }
  return exceptions;
}

std::string Letters(int column) {
  std::string letters;
  for (; column > 0; column = (column - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
  }
  return letters;
}

std::string CellName(int row, int column) {
  return Letters(column) + std::to_string(row);
}

std::string Describe(const CellValue& value) {
  switch (value.kind) {
    case CellKind::kEmpty:
      return "empty";
    case CellKind::kNumber: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.17g", value.number);
      return std::string("number ") + buffer;
    }
    case CellKind::kText:
      return "text \"" + std::string(value.text) + "\"";
    case CellKind::kBoolean:
      return "boolean " + CellText(value);
    case CellKind::kDateTime:
      return "date " + CellText(value);
    case CellKind::kError:
      return "error " + std::string(value.text);
  }
  return "?";
}

// Days since 1899-12-30 of an ISO date "YYYY-MM-DD[THH:MM:SS[.f]]".
bool ParseIsoDate(const std::string& text, double& serial) {
  int year, month, day, hour = 0, minute = 0;
  double second = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d", &year, &month, &day) != 3) {
    return false;
  }
  const auto t = text.find('T');
  if (t != std::string::npos && std::sscanf(text.c_str() + t + 1, "%d:%d:%lf",
                                            &hour, &minute, &second) != 3) {
    return false;
  }
  // Days from civil (proleptic Gregorian), relative to 1970-01-01.
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yoe = year - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const double days = era * 146097.0 + doe - 719468.0;
  serial = days + 25569.0 + (hour * 3600 + minute * 60 + second) / 86400.0;
  return true;
}

// Seconds of "HH:MM:SS[.f]" or of an ISO duration "P[nD]T[nH][nM][nS]".
bool ParseClock(const std::string& text, double& seconds) {
  int hour, minute;
  double second;
  if (text[0] != 'P') {
    if (std::sscanf(text.c_str(), "%d:%d:%lf", &hour, &minute, &second) != 3) {
      return false;
    }
    seconds = hour * 3600.0 + minute * 60.0 + second;
    return true;
  }
  seconds = 0;
  double number = 0;
  bool in_time = false;
  for (std::size_t i = 1; i < text.size();) {
    if (text[i] == 'T') {
      in_time = true;
      ++i;
      continue;
    }
    std::size_t used = 0;
    number = std::stod(text.substr(i), &used);
    i += used;
    if (i >= text.size()) return false;
    const char unit = text[i++];
    if (unit == 'D')
      seconds += number * 86400;
    else if (unit == 'H' && in_time)
      seconds += number * 3600;
    else if (unit == 'M' && in_time)
      seconds += number * 60;
    else if (unit == 'S' && in_time)
      seconds += number;
    else
      return false;
  }
  return true;
}

bool SameDate(const ReferenceCell& ref, double ours) {
  constexpr double kTolerance = 0.002 / 86400;  // two milliseconds
  double expected;
  if (ref.value.size() >= 10 && ref.value[4] == '-') {
    return ParseIsoDate(ref.value, expected) &&
           std::fabs(expected - ours) <= kTolerance;
  }
  double seconds;
  if (ref.value.starts_with("-P")) {  // a negative duration
    return ParseClock(ref.value.substr(1), seconds) &&
           std::fabs(-seconds / 86400 - ours) <= kTolerance;
  }
  if (!ParseClock(ref.value, seconds)) return false;
  if (ref.value[0] == 'P')
    return std::fabs(seconds / 86400 - ours) <= kTolerance;
  const double fraction = ours - std::floor(ours);
  return std::fabs(seconds / 86400 - fraction) <= kTolerance ||
         std::fabs(seconds / 86400 - ours) <= kTolerance;
}

bool Matches(const ReferenceCell& ref, const CellValue& ours) {
  if (ref.type == "text") {
    return (ours.kind == CellKind::kText && ours.text == ref.value) ||
           (ref.value.empty() && ours.is_empty());
  }
  if (ref.type == "number") {
    if (ours.kind != CellKind::kNumber) return false;
    const double expected = std::stod(ref.value);
    return expected == ours.number ||
           std::fabs(expected - ours.number) <=
               1e-12 * std::max(std::fabs(expected), std::fabs(ours.number));
  }
  if (ref.type == "boolean") {
    return ours.kind == CellKind::kBoolean &&
           (ours.number != 0) == (ref.value == "true");
  }
  if (ref.type == "error") {
    return ours.kind == CellKind::kError && ours.text == ref.value;
  }
  if (ref.type == "date") {
    return ours.kind == CellKind::kDateTime && SameDate(ref, ours.number);
  }
  return false;
}

std::string UsedRangeText(const Sheet& sheet) {
  const auto range = sheet.UsedRange();
  if (!range) return "";
  return CellName(range->first_row, range->first_column) + ":" +
         CellName(range->last_row(), range->last_column());
}

void CompareSheet(const ReferenceWorkbook& reference, const ReferenceSheet& ref,
                  const Sheet& sheet, std::vector<Difference>& differences) {
  if (sheet.hidden() != ref.hidden) {
    differences.push_back(
        {ref.name, "hidden",
         std::string("hidden is ") + (sheet.hidden() ? "true" : "false")});
  }
  std::string expected_range = ref.used_range;
  if (!expected_range.empty() &&
      expected_range.find(':') == std::string::npos) {
    expected_range += ":" + expected_range;
  }
  if (UsedRangeText(sheet) != expected_range) {
    differences.push_back({ref.name, "used_range",
                           "used range " + UsedRangeText(sheet) +
                               ", expected " + expected_range});
  }
  std::map<std::pair<int, int>, const ReferenceCell*> cells;
  for (const ReferenceCell& cell : ref.cells)
    cells[{cell.row, cell.column}] = &cell;
  for (int row = 1; row <= reference.max_rows; ++row) {
    for (int column = 1; column <= reference.max_columns; ++column) {
      const CellValue ours = sheet.Cell(row, column);
      const auto found = cells.find({row, column});
      if (found == cells.end()) {
        if (!ours.is_empty() &&
            !(ours.kind == CellKind::kText && ours.text.empty())) {
          differences.push_back({ref.name, CellName(row, column),
                                 "unexpected " + Describe(ours)});
        }
        continue;
      }
      const ReferenceCell& expected = *found->second;
      if (!Matches(expected, ours)) {
        differences.push_back({ref.name, expected.ref,
                               Describe(ours) + ", expected " + expected.type +
                                   " " + expected.value});
      }
    }
  }
}

int FindSheetExactly(const Workbook& workbook, const std::string& name) {
  for (int i = 0; i < workbook.sheet_count(); ++i) {
    if (workbook.sheet(i).name() == name) return i;
  }
  return -1;
}

std::vector<Difference> CompareWorkbook(const ReferenceWorkbook& reference,
                                        const Workbook& workbook) {
  std::vector<Difference> differences;
  int previous = -1;
  for (const ReferenceSheet& ref : reference.sheets) {
    if (ref.kind != "worksheet") continue;
    const int index = FindSheetExactly(workbook, ref.name);
    if (index < 0) {
      differences.push_back({ref.name, "*", "sheet missing"});
      continue;
    }
    if (index < previous) {
      differences.push_back({ref.name, "order", "sheet out of workbook order"});
    }
    previous = index;
    CompareSheet(reference, ref, workbook.sheet(index), differences);
  }
  return differences;
}

class CorpusTest : public testing::TestWithParam<CorpusFile> {};

TEST_P(CorpusTest, MatchesReference) {
  const CorpusFile& file = GetParam();
  const fs::path path = kCorpus / file.folder / file.name;
  const ReferenceWorkbook reference =
      LoadReference(path.string() + ".ref.json");

  std::vector<Difference> differences;
  try {
    const auto workbook = ReadWorkbook(path.string());
    if (reference.expect_error) {
      differences.push_back({"*", "*", "read, although it should be refused"});
    } else {
      differences = CompareWorkbook(reference, *workbook);
    }
  } catch (const WorkbookError& error) {
    EXPECT_NE(std::string(error.what()).find(file.name), std::string::npos)
        << "the message must name the file: " << error.what();
    if (!reference.expect_error) {
      differences.push_back(
          {"*", "*", std::string("refused: ") + error.what()});
    }
  } catch (const std::exception& error) {
    differences.push_back({"*", "*",
                           std::string("failed with other than "
                                       "WorkbookError: ") +
                               error.what()});
  }

  std::vector<Exception> exceptions = ExceptionsFor(file);
  std::ostringstream unexplained;
  int count = 0;
  for (const Difference& difference : differences) {
    bool explained = false;
    for (Exception& exception : exceptions) {
      if ((exception.sheet == "*" || exception.sheet == difference.sheet) &&
          (exception.cell == "*" || exception.cell == difference.cell)) {
        exception.used = explained = true;
      }
    }
    if (!explained && ++count <= 25) {
      unexplained << "\n  " << difference.sheet << "\t" << difference.cell
                  << "\t" << difference.text;
    }
  }
  EXPECT_EQ(count, 0) << file.folder << "/" << file.name << ": " << count
                      << " unexplained difference(s):" << unexplained.str();
  for (const Exception& exception : exceptions) {
    EXPECT_TRUE(exception.used)
        << "stale exception for " << file.name << ": " << exception.sheet << " "
        << exception.cell << " (" << exception.reason << ")";
  }
}

std::string TestName(const testing::TestParamInfo<CorpusFile>& info) {
  std::string name = info.param.folder + "_" + info.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusTest, testing::ValuesIn(CorpusFiles()),
                         TestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusTest);

TEST(CorpusPresenceTest, CorpusFolderIsThere) {
  if (!fs::is_directory(kCorpus)) {
    GTEST_SKIP() << "no shared corpus at " << kCorpus
                 << " (it lies beside the project in the team's checkout)";
  }
  EXPECT_FALSE(CorpusFiles().empty());
}

}  // namespace
}  // namespace kestrilo
