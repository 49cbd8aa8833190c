// SPDX-License-Identifier: MIT
// The xls WorkbookFile: its structure without cells, one sheet's rows as
// the file lists them, and the same cells as the model.
#include "engine/reading/xls/xls_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/input/workbook_error.h"
#include "engine/reading/open_workbook_file.h"
#include "xls_test_workbook.h"

namespace kestrilo {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::HasSubstr;
using namespace testing_support;

std::unique_ptr<WorkbookFile> Open(const std::string& bytes) {
  return OpenXlsBytes("test.xls", bytes);
}

std::vector<std::string> Rows(const std::string& bytes,
                              const SheetChoice& choice = {}) {
  RowLines sink;
  Open(bytes)->ReadRows(choice, sink);
  return sink.lines;
}

std::string Failure(const std::function<void()>& read) {
  try {
    read();
  } catch (const WorkbookError& error) {
    return error.reason();
  }
  return "(read without error)";
}

// ------------------------------------------- the same cells as the model

bool SameLayout(const SheetLayout& a, const SheetLayout& b) {
  return a.default_column_width() == b.default_column_width() &&
         a.default_row_height() == b.default_row_height() &&
         a.columns() == b.columns() && a.rows() == b.rows() &&
         a.merged_areas() == b.merged_areas();
}

void ExpectRowsAsModel(const std::string& path) {
  SCOPED_TRACE(path);
  std::unique_ptr<Workbook> model;
  const std::string model_failure =
      Failure([&] { model = OpenWorkbookFile(path)->ReadCells(); });
  if (!model) {
    // The damage shows when the sheet holding it is read (sheets that
    // overlap only when read together).
    std::string failure = Failure([&] {
      auto file = OpenWorkbookFile(path);
      for (int i = 1; i < file->Structure().sheet_count(); ++i) {
        RowLines sink(true);
        OpenWorkbookFile(path)->ReadRows(SheetChoice::AtIndex(i), sink);
      }
      RowLines sink(true);
      file->ReadRows(SheetChoice::AtIndex(0), sink);
    });
    if (model_failure.find("overlap") == std::string::npos) {
      EXPECT_EQ(failure, model_failure);
    }
    return;
  }
  EXPECT_THAT(ShowNames(OpenWorkbookFile(path)->Structure()),
              testing::ElementsAreArray(ShowNames(*model)));
  std::int64_t formulas_without_value = 0;
  for (int i = 0; i < model->sheet_count(); ++i) {
    RowLines rows(true);
    RowLines cells;
    const SheetRead read =
        OpenWorkbookFile(path)->ReadRows(SheetChoice::AtIndex(i), rows);
    model->sheet(i).SendRows(cells);
    rows.layout_.Finish();
    EXPECT_EQ(read.index, i);
    EXPECT_EQ(read.name, model->sheet(i).name());
    EXPECT_EQ(rows.lines, cells.lines) << "sheet " << i;
    EXPECT_TRUE(SameLayout(rows.layout_, model->sheet(i).layout()));
    formulas_without_value += read.formulas_without_value;
  }
  EXPECT_EQ(formulas_without_value, model->formulas_without_value());
}

std::vector<std::string> XlsFilesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".xls") files.push_back(entry.path());
  }
  return files;
}

TEST(XlsFileTest, RowsAreTheModelsCellsForTheFixturesAndSamples) {
  const std::vector<std::string> fixtures =
      XlsFilesBelow(KESTRILO_FIXTURES_DIR);
  ASSERT_GE(fixtures.size(), 4u);
  for (const std::string& path : fixtures) ExpectRowsAsModel(path);
  for (const std::string& path : XlsFilesBelow(KESTRILO_SAMPLES_DIR)) {
    ExpectRowsAsModel(path);
  }
}

TEST(XlsFileTest, RowsAreTheModelsCellsForTheCorpus) {
  const fs::path corpus = fs::path(KESTRILO_SHARED_DIR) / "corpus";
  if (!fs::is_directory(corpus)) {
    GTEST_SKIP() << "no shared corpus at " << corpus
                 << " (it lies beside the project in the team's checkout)";
  }
  for (const std::string& path : XlsFilesBelow(corpus)) {
    ExpectRowsAsModel(path);
  }
}

// ---------------------------------------------------------- crafted files

TEST(XlsFileTest, AMissingSheetFailsBeforeAnyCellIsParsed) {
  // The sheet's records are damaged: reading them would fail.
  std::vector<TestSheet> sheets(2);
  sheets[0].name = "Data";
  sheets[0].cells.Record(0x0203, Cell3(1, 1, 0) + "\x01\x02");
  sheets[1].name = "Other";
  sheets[1].cells.Record(0x0203, Cell3(2, 2, 0) + F64(5));
  const std::string bytes = Container(WorkbookStream(sheets, ""));

  const auto file = Open(bytes);
  EXPECT_EQ(file->Structure().sheet_count(), 2);
  EXPECT_EQ(file->Structure().sheet(0).cell_count(), 0u);
  RowLines sink;
  EXPECT_EQ(Failure([&] {
              file->ReadRows({"Nope", {}}, sink);
            }),
            "no sheet named 'Nope'");
  EXPECT_EQ(Failure([&] {
              Open(bytes)->ReadRows({{}, 3}, sink);
            }),
            "no sheet number 3 (the workbook has 2)");
  EXPECT_EQ(Failure([&] {
              Open(bytes)->ReadCells(SheetChoice{"Nope", {}});
            }),
            "no sheet named 'Nope'");
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_THAT(Failure([&] {
                Open(bytes)->ReadRows({"data", {}}, sink);
              }),
              HasSubstr("in the sheet \"Data\" is too short"));

  // Only the sheet asked for is parsed into the model.
  const auto other = Open(bytes)->ReadCells(SheetChoice{"Other", {}});
  EXPECT_EQ(Cell(other->sheet(1), 2, 2), "number 5");
  EXPECT_EQ(other->sheet(0).cell_count(), 0u);
}

TEST(XlsFileTest, RowsComeAsTheFileListsThemEachColumnOnce) {
  BiffStream sst;
  sst.Record(0x00FC, U32(1) + U32(1) + CompressedString("shared"));
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "Odd";
  sheets[0]
      .cells.Record(0x0203, Cell3(1, 3, 0) + F64(1))
      .Record(0x0204, Cell3(1, 1, 0) + CompressedString("first"))
      .Record(0x027E, Cell3(1, 3, 0) + Rk(7))  // C1 again: the later wins
      .Record(0x00FD, Cell3(3, 1, 0) + U32(0))
      .Record(0x0006, FormulaRecordBody(2, 2, 0, SpecialResult(0, 0)))
      .Record(0x0207, CompressedString("late text"))
      .Record(0x0205, Cell3(3, 2, 0) + U8(1) + U8(0))  // row 3 again
      .Record(0x0006, FormulaRecordBody(4, 1, 0, SpecialResult(0, 0)));
  const std::string bytes =
      Container(WorkbookStream(sheets, sst.bytes() + FormatsAndXfs(true)));
  RowLines sink;
  const SheetRead read = Open(bytes)->ReadRows({}, sink);
  EXPECT_THAT(sink.lines,
              ElementsAre("1: A=text first C=number 7", "3: A=text shared",
                          "2: B=text late text", "3: B=boolean True"));
  EXPECT_EQ(read.formulas_without_value, 1) << "A4's text never came";

  RowLines model;
  Open(bytes)->ReadCells()->sheet(0).SendRows(model);
  EXPECT_THAT(model.lines,
              ElementsAre("1: A=text first C=number 7", "2: B=text late text",
                          "3: A=text shared B=boolean True"));
}

TEST(XlsFileTest, ARowListingItsCellsOverAndOverKeepsTheLastOfEach) {
  // More cells than a row holds columns, twice over: the row is compacted
  // on the way, and its texts with it.
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "Long";
  const int count = 3 * kMaxColumns;
  const auto text = [](int i) { return std::string("t") += std::to_string(i); };
  for (int i = 0; i < count; ++i) {
    sheets[0].cells.Record(0x0204,
                           Cell3(1, 1 + i % 3, 0) + CompressedString(text(i)));
  }
  sheets[0].cells.Record(0x0203, Cell3(2, 1, 0) + F64(2));
  const std::string bytes = Container(WorkbookStream(sheets, ""));
  const std::string row = "1: A=text " + text(count - 3) + " B=text " +
                          text(count - 2) + " C=text " + text(count - 1);
  EXPECT_THAT(Rows(bytes), ElementsAre(row, "2: A=number 2"));
}

TEST(XlsFileTest, AStreamInScatteredSectorsReadsAsOneInOrder) {
  // Records and shared strings cross from sector to sector everywhere.
  std::vector<TestSheet> sheets(2);
  sheets[0].name = "One";
  sheets[1].name = "Two";
  BiffStream sst;
  std::string body = U32(300) + U32(300);
  for (int i = 0; i < 300; ++i) {
    const std::string text =
        WideString(U"Zeile " + std::u32string(i % 40, U'ω'));
    if (body.size() + text.size() > 3000) {
      sst.Record(sst.size() == 0 ? 0x00FC : 0x003C, body);
      body.clear();
    }
    body += text;
  }
  sst.Record(0x003C, body);
  for (int row = 1; row <= 400; ++row) {
    sheets[row % 2].cells.Record(0x00FD, Cell3(row, 1, 0) + U32(row % 300));
    sheets[row % 2].cells.Record(0x0203, Cell3(row, 2, row % 6) + F64(row));
    sheets[row % 2].cells.Record(
        0x0204, Cell3(row, 3, 0) + WideString(std::u32string(row, U'ж')));
  }
  const std::string stream = WorkbookStream(sheets, sst.bytes());
  CompoundFileWriter scattered;
  scattered.ScatterSectors();
  scattered.AddStream("Workbook", stream);
  for (int sheet = 0; sheet < 2; ++sheet) {
    const auto in_order = Rows(Container(stream), SheetChoice::AtIndex(sheet));
    ASSERT_EQ(in_order.size(), 200u);
    EXPECT_EQ(Rows(scattered.Build(), SheetChoice::AtIndex(sheet)), in_order);
  }
}

TEST(XlsFileTest, BudgetsHoldAndCutFilesFailNamingTheProblem) {
  std::vector<TestSheet> sheets(1);
  sheets[0].name = "S";
  for (int row = 1; row <= 500; ++row) {
    sheets[0].cells.Record(0x0203, Cell3(row, 1, 0) + F64(row));
  }
  const std::string stream = WorkbookStream(sheets, "");
  const std::string bytes = Container(stream);

  ReaderBudget::Limits limits;
  limits.cells = 100;
  {
    const ReaderBudget::ScopedLimits scoped(limits);
    EXPECT_THAT(Failure([&] { Rows(bytes); }), HasSubstr("100 cells"));
  }

  // The chains and sizes of the container are checked where it is read
  // (compound_file_test). A file cut inside its header or its Workbook
  // stream, which comes first, fails whatever the cut.
  for (std::size_t size = 0; size < 512 + stream.size(); size += 300) {
    EXPECT_THAT(Failure([&] { Rows(bytes.substr(0, size)); }),
                testing::AnyOf(HasSubstr("truncated"), HasSubstr("too short"),
                               HasSubstr("beyond the end")))
        << size;
  }
}

}  // namespace
}  // namespace kestrilo
