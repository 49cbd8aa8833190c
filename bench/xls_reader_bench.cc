// Reads a 1,000,000-cell BIFF8 workbook (two sheets, as a sheet ends at
// 65,536 rows, of 50,000 rows x 10 columns: shared-string texts, RK and
// NUMBER numbers, booleans and dates) and
// reports cells per second and the peak memory of the process. The target
// is at most 0.5 s per 1,000,000 cells.
//
// The workbook is written once, by the test writer, into the temporary
// folder (about 20 MB); nothing big is kept in the repository.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../tests/engine/biff_test_writer.h"
#include "engine/reading/xls/xls_reader.h"

namespace kestrilo {
namespace {

using namespace testing_support;

constexpr int kSheets = 2;
constexpr int kRows = 50000;  // per sheet
constexpr int kColumns = 10;
constexpr int kDistinctTexts = 150000;

std::string Cell3(int row, int column, int xf) {
  return U16(static_cast<std::uint16_t>(row)) +
         U16(static_cast<std::uint16_t>(column)) +
         U16(static_cast<std::uint16_t>(xf));
}

// The shared strings, split into CONTINUE records at string boundaries as
// the records' size limit requires.
void AppendSst(BiffStream& stream) {
  std::string body = U32(kSheets * kRows * 3) + U32(kDistinctTexts);
  bool first = true;
  auto flush = [&] {
    stream.Record(first ? 0x00FC : 0x003C, body);
    first = false;
    body.clear();
  };
  for (int i = 0; i < kDistinctTexts; ++i) {
    const std::string text = "Customer name " + std::to_string(i);
    const std::string encoded = CompressedString(text);
    if (body.size() + encoded.size() > 8224) flush();
    body += encoded;
  }
  flush();
}

void AppendSheet(BiffStream& sheet, int first_text, const std::string& bof) {
  sheet.Record(0x0809, bof);
  for (int row = 0; row < kRows; ++row) {
    const int text = first_text + row;
    sheet.Record(0x00FD, Cell3(row, 0, 0) + U32(text % kDistinctTexts));
    sheet.Record(0x00FD, Cell3(row, 1, 0) + U32((text * 7) % kDistinctTexts));
    sheet.Record(0x0203, Cell3(row, 2, 0) + F64(row * 1.25 + 0.001));
    sheet.Record(0x027E, Cell3(row, 3, 0) +
                             U32((static_cast<std::uint32_t>(row) << 2) | 2));
    sheet.Record(0x0205, Cell3(row, 4, 0) + U8(row % 2) + U8(0));
    sheet.Record(0x0203, Cell3(row, 5, 1) + F64(40000 + row % 5000));
    // Columns 7 to 9 as one MULRK, as Excel writes runs of numbers.
    sheet.Record(0x00BD, U16(static_cast<std::uint16_t>(row)) + U16(6) +
                             U16(0) + U32(((row % 1000) << 2) | 2) + U16(0) +
                             U32(((row % 77) << 2) | 3) + U16(1) +
                             U32((40000u << 2) | 2) + U16(8));
    sheet.Record(0x00FD, Cell3(row, 9, 0) + U32((text * 13) % kDistinctTexts));
  }
  sheet.Record(0x000A, "");
}

std::string BuildWorkbook() {
  BiffStream globals;
  const auto bof = [](std::uint16_t type) {
    return U16(0x0600) + U16(type) + U16(0x0DBB) + U16(1996) + U32(0) + U32(6);
  };
  globals.Record(0x0809, bof(0x0005));
  globals.Record(0x0042, U16(1200));
  for (int id : {0, 14}) {
    globals.Record(0x00E0, U16(0) + U16(static_cast<std::uint16_t>(id)) +
                               std::string(16, '\0'));
  }
  AppendSst(globals);
  std::size_t position_fields[kSheets];
  for (int i = 0; i < kSheets; ++i) {
    position_fields[i] = globals.size() + 4;
    globals.Record(0x0085, U32(0) + U8(0) + U8(0) + U8(6) + U8(0) + "Sheet" +
                               std::to_string(i + 1));
  }
  globals.Record(0x000A, "");
  for (int i = 0; i < kSheets; ++i) {
    PutU32(globals.bytes(), position_fields[i],
           static_cast<std::uint32_t>(globals.size()));
    AppendSheet(globals, i * kRows, bof(0x0010));
  }
  CompoundFileWriter writer;
  writer.AddStream("Workbook", globals.bytes());
  return writer.Build();
}

const std::string& WorkbookPath() {
  static const std::string path = [] {
    const std::string file =
        (std::filesystem::temp_directory_path() / "kestrilo_bench_1m_cells.xls")
            .string();
    std::ofstream(file, std::ios::binary) << BuildWorkbook();
    return file;
  }();
  return path;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void BM_ReadXls1MCells(benchmark::State& state) {
  const std::string& path = WorkbookPath();
  std::size_t cells = 0;
  for (auto _ : state) {
    const auto workbook = ReadXls(path);
    cells = 0;
    for (int i = 0; i < workbook->sheet_count(); ++i) {
      cells += workbook->sheet(i).cell_count();
    }
    benchmark::DoNotOptimize(cells);
  }
  if (cells != static_cast<std::size_t>(kSheets) * kRows * kColumns) {
    state.SkipWithError("the workbook did not read as 1,000,000 cells");
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(cells));
  state.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ReadXls1MCells)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace kestrilo

BENCHMARK_MAIN();
