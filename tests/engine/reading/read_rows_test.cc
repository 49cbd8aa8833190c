// SPDX-License-Identifier: MIT
// Every csv and ods workbook of the fixtures and of the shared corpus read
// each way a WorkbookFile offers: each sheet's rows as a conversion reads
// them, the model whole and one sheet at a time as the window reads it,
// and the structure alone. They must agree cell for cell and name for
// name.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "collected_rows.h"
#include "engine/input/workbook_error.h"
#include "engine/reading/open_workbook_file.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;
using testing_support::CellsOf;
using testing_support::RowCollector;

const fs::path kCorpus = fs::path(KESTRILO_SHARED_DIR) / "corpus";

std::vector<std::string> Workbooks() {
  std::vector<std::string> paths;
  const fs::path folders[] = {KESTRILO_FIXTURES_DIR, kCorpus / "csv",
                              kCorpus / "ods", kCorpus / "bad"};
  for (const fs::path& folder : folders) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      const std::string extension = entry.path().extension().string();
      if (extension == ".csv" || extension == ".ods") {
        paths.push_back(entry.path().string());
      }
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::unique_ptr<WorkbookFile> Open(const std::string& path) {
  return OpenWorkbookFile(path);
}

void ExpectSameStructure(const Workbook& structure, const Workbook& model) {
  ASSERT_EQ(structure.sheet_count(), model.sheet_count());
  EXPECT_EQ(structure.active_sheet(), model.active_sheet());
  for (int i = 0; i < model.sheet_count(); ++i) {
    EXPECT_EQ(structure.sheet(i).name(), model.sheet(i).name());
    EXPECT_EQ(structure.sheet(i).hidden(), model.sheet(i).hidden());
    EXPECT_EQ(structure.sheet(i).cell_count(), 0u);
  }
  ASSERT_EQ(structure.names().size(), model.names().size());
  for (std::size_t i = 0; i < model.names().size(); ++i) {
    const BlockName& a = structure.names()[i];
    const BlockName& b = model.names()[i];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.scope_sheet, b.scope_sheet);
    EXPECT_EQ(a.sheet, b.sheet);
    EXPECT_EQ(a.block, b.block);
    EXPECT_EQ(a.header_rows, b.header_rows);
    EXPECT_EQ(a.definition, b.definition);
    EXPECT_EQ(a.unusable_reason, b.unusable_reason);
  }
}

class ReadRowsTest : public testing::TestWithParam<std::string> {};

TEST_P(ReadRowsTest, EveryWayOfReadingAgrees) {
  const std::string& path = GetParam();
  std::unique_ptr<Workbook> model;
  try {
    model = Open(path)->ReadCells();
  } catch (const WorkbookError&) {
    // What the model cannot read, the rows of its active sheet cannot be
    // read from either.
    RowCollector rows;
    EXPECT_THROW(Open(path)->ReadRows(SheetChoice(), rows), WorkbookError);
    return;
  }
  int formulas = 0;
  for (int i = 0; i < model->sheet_count(); ++i) {
    const Sheet& sheet = model->sheet(i);
    SCOPED_TRACE(sheet.name());
    RowCollector rows;
    const SheetRead read = Open(path)->ReadRows(SheetChoice::AtIndex(i), rows);
    EXPECT_EQ(read.index, i);
    EXPECT_EQ(read.name, sheet.name());
    EXPECT_EQ(rows.cells, CellsOf(sheet));

    const auto only = Open(path)->ReadCells(SheetChoice::AtIndex(i));
    ASSERT_EQ(only->sheet_count(), model->sheet_count());
    EXPECT_EQ(CellsOf(only->sheet(i)), CellsOf(sheet));
    for (int j = 0; j < only->sheet_count(); ++j) {
      if (j != i) {
        EXPECT_EQ(only->sheet(j).cell_count(), 0u) << j;
      }
    }
    EXPECT_EQ(read.formulas_without_value, only->formulas_without_value());
    formulas += read.formulas_without_value;
  }
  EXPECT_EQ(formulas, model->formulas_without_value());

  RowCollector active;
  EXPECT_EQ(Open(path)->ReadRows(SheetChoice(), active).index,
            model->active_sheet());
  const auto file = Open(path);
  ExpectSameStructure(file->Structure(), *model);
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).filename().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Workbooks, ReadRowsTest,
                         testing::ValuesIn(Workbooks()), TestName);

TEST(ReadRowsCorpusTest, CorpusWorkbooksAreAmongThem) {
  if (!fs::is_directory(kCorpus)) {
    GTEST_SKIP() << "no shared corpus at " << kCorpus
                 << ": only the fixtures are read each way";
  }
  const std::vector<std::string> paths = Workbooks();
  EXPECT_TRUE(std::any_of(paths.begin(), paths.end(), [](const auto& path) {
    return path.find("/corpus/") != std::string::npos;
  }));
}

}  // namespace
}  // namespace kestrilo
