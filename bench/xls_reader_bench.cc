// SPDX-License-Identifier: MIT
// Reads a 1,000,000-cell BIFF8 workbook (one sheet of 62,500 rows x 16
// columns: shared-string texts, RK, MULRK and NUMBER numbers, booleans,
// dates and formula results, a string result among them) in the two ways a
// workbook is read: into the model (ReadCells, for the workbook window) and
// row by row into a sink that only counts (ReadRows, for a conversion).
// Reports cells per second and the peak memory of the process from the
// start of each benchmark. The target is at most 0.5 s per 1,000,000
// cells; row by row, a peak of the file's bytes, its shared strings and a
// row.
//
// The workbook is written once, by the test writer, into the temporary
// folder (about 20 MB) and removed at the end; nothing big is kept in the
// repository. `--write=FILE` writes it to FILE instead, and stops.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "../tests/engine/support/biff_test_writer.h"
#include "engine/model/row_sink.h"
#include "engine/reading/open_workbook_file.h"

namespace kestrilo {
namespace {

using namespace testing_support;

constexpr int kRows = 62500;
constexpr int kColumns = 16;
constexpr int kDistinctTexts = 150000;

std::string Cell3(int row, int column, int xf) {
  return U16(static_cast<std::uint16_t>(row)) +
         U16(static_cast<std::uint16_t>(column)) +
         U16(static_cast<std::uint16_t>(xf));
}

std::string Rk(std::uint32_t integer) { return U32((integer << 2) | 2); }

// The shared strings, split into CONTINUE records at string boundaries as
// the records' size limit requires.
void AppendSst(BiffStream& stream) {
  std::string body = U32(kRows * 3) + U32(kDistinctTexts);
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

// A FORMULA record with its cached result and a one-token expression.
std::string Formula(int row, int column, const std::string& result) {
  return Cell3(row, column, 0) + result + U16(0) + U32(0) + U16(1) + U8(0x1C);
}

void AppendSheet(BiffStream& sheet, const std::string& bof) {
  sheet.Record(0x0809, bof);
  for (int row = 0; row < kRows; ++row) {
    const auto r = static_cast<std::uint32_t>(row);
    sheet.Record(0x00FD, Cell3(row, 0, 0) + U32(r % kDistinctTexts));
    sheet.Record(0x00FD, Cell3(row, 1, 0) + U32((r * 7) % kDistinctTexts));
    sheet.Record(0x0203, Cell3(row, 2, 0) + F64(row * 1.25 + 0.001));
    sheet.Record(0x027E, Cell3(row, 3, 0) + Rk(r));
    sheet.Record(0x0205, Cell3(row, 4, 0) + U8(row % 2) + U8(0));
    sheet.Record(0x0203, Cell3(row, 5, 1) + F64(40000 + row % 5000));
    // Columns 7 to 9 and 11 to 14 as MULRKs, as Excel writes runs of
    // numbers.
    sheet.Record(0x00BD, U16(static_cast<std::uint16_t>(row)) + U16(6) +
                             U16(0) + Rk(r % 1000) + U16(0) +
                             U32(((r % 77) << 2) | 3) + U16(1) + Rk(40000) +
                             U16(8));
    sheet.Record(0x00FD, Cell3(row, 9, 0) + U32((r * 13) % kDistinctTexts));
    sheet.Record(0x00BD, U16(static_cast<std::uint16_t>(row)) + U16(10) +
                             U16(0) + Rk(r) + U16(0) + Rk(r + 1) + U16(0) +
                             Rk(r + 2) + U16(0) + Rk(r + 3) + U16(13));
    sheet.Record(0x0006, Formula(row, 14, F64(row * 0.5)));
    sheet.Record(
        0x0006,
        Formula(row, 15, U8(0) + U8(0) + U8(0) + U8(0) + U16(0) + U16(0xFFFF)));
    sheet.Record(0x0207, CompressedString("Total " + std::to_string(row)));
  }
  sheet.Record(0x000A, "");
}

}  // namespace

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
  const std::size_t position_field = globals.size() + 4;
  globals.Record(0x0085, U32(0) + U8(0) + U8(0) + U8(5) + U8(0) + "Sheet");
  globals.Record(0x000A, "");
  PutU32(globals.bytes(), position_field,
         static_cast<std::uint32_t>(globals.size()));
  AppendSheet(globals, bof(0x0010));
  CompoundFileWriter writer;
  writer.AddStream("Workbook", globals.bytes());
  return writer.Build();
}

namespace {

class Workbook1M {
 public:
  Workbook1M()
      : path_((std::filesystem::temp_directory_path() /
               ("kestrilo_bench_1m_cells_" + std::to_string(getpid()) + ".xls"))
                  .string()) {
    std::ofstream(path_, std::ios::binary) << BuildWorkbook();
  }
  ~Workbook1M() { std::filesystem::remove(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& WorkbookPath() {
  static const Workbook1M workbook;
  return workbook.path();
}

// The peak is counted from when the workbook has been written, as writing
// it holds several copies: Linux resets the high-water mark on request.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

void Report(benchmark::State& state, std::size_t cells) {
  if (cells != static_cast<std::size_t>(kRows) * kColumns) {
    state.SkipWithError("the workbook did not read as 1,000,000 cells");
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(cells));
  state.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(WorkbookPath())) /
      (1 << 20);
  state.counters["peak_MB"] = PeakMegabytes();
}

void BM_ReadXlsCells1M(benchmark::State& state) {
  const std::string& path = WorkbookPath();
  ResetPeak();
  std::size_t cells = 0;
  for (auto _ : state) {
    const auto workbook = OpenWorkbookFile(path)->ReadCells();
    cells = workbook->sheet(0).cell_count();
    benchmark::DoNotOptimize(cells);
  }
  Report(state, cells);
}
BENCHMARK(BM_ReadXlsCells1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);

class CountingSink : public RowSink {
 public:
  void AddRow(std::int32_t /*row*/, std::span<const RowCell> cells) override {
    cells_ += cells.size();
    for (const RowCell& cell : cells) text_bytes_ += cell.value.text.size();
  }
  std::size_t cells() const { return cells_; }

 private:
  std::size_t cells_ = 0;
  std::size_t text_bytes_ = 0;
};

void BM_ReadXlsRows1M(benchmark::State& state) {
  const std::string& path = WorkbookPath();
  ResetPeak();
  std::size_t cells = 0;
  for (auto _ : state) {
    CountingSink sink;
    OpenWorkbookFile(path)->ReadRows(SheetChoice{}, sink);
    cells = sink.cells();
    benchmark::DoNotOptimize(cells);
  }
  Report(state, cells);
}
BENCHMARK(BM_ReadXlsRows1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace kestrilo

// `--write=FILE` writes the benchmark's workbook to FILE and stops, for the
// whole-road benchmark of the command-line tool.
int main(int argc, char** argv) {
  const std::string_view write = "--write=";
  if (argc == 2 && std::string_view(argv[1]).starts_with(write)) {
    std::ofstream(argv[1] + write.size(), std::ios::binary)
        << kestrilo::BuildWorkbook();
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
