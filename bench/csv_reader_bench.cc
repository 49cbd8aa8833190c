// SPDX-License-Identifier: MIT
// Reads a 1,000,000-field csv file (100,000 records x 10 fields, some of
// them quoted with doubled quotes and line breaks inside) and, in the
// Windows-1252 variant, the same file with a non-UTF-8 byte at its end:
// into the model (BM_ReadCsv*), and row by row into a sink that only
// counts (BM_ReadCsvRows*, the road of a conversion), with MB/s of file.
// peak_MB is the process's peak so far: run one benchmark alone, e.g.
// --benchmark_filter=BM_ReadCsvRowsUtf8, for the peak of that road.
//   build/bench/csv_reader_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "counting_sink.h"
#include "engine/model/sheet_choice.h"
#include "engine/reading/open_workbook_file.h"
#include "engine/reading/workbook_reader.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kFields = 10;

std::string WriteCsv(bool windows_1252) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("kestrilo_bench_" + std::to_string(getpid()) +
                             (windows_1252 ? "_1252.csv" : ".csv")))
                               .string();
  std::ofstream out(path, std::ios::binary);
  char line[256];
  for (int record = 0; record < kRecords; ++record) {
    std::snprintf(line, sizeof line,
                  "Customer %d,%s,%d,%.3f,%s,2024-%02d-%02d,"
                  "\"Order %d, \"\"urgent\"\"\",%d,\"two\r\nlines\",%s\r\n",
                  record, record % 2 ? "Athens" : "Z\xC3\xBCrich", record,
                  record * 1.25, record % 3 ? "TRUE" : "FALSE", 1 + record % 12,
                  1 + record % 28, record % 977, -record,
                  record % 2 ? "yes" : "no");
    out << line;
  }
  if (windows_1252) out << "caf\xE9\r\n";
  return path;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void Count(benchmark::State& state, const std::string& path) {
  const double bytes = static_cast<double>(std::filesystem::file_size(path));
  state.counters["cells/s"] =
      benchmark::Counter(static_cast<double>(kRecords) * kFields,
                         benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB/s"] = benchmark::Counter(
      bytes / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB"] = bytes / 1e6;
  state.counters["peak_MB"] = PeakMegabytes();
}

void Read(benchmark::State& state, bool windows_1252) {
  const std::string path = WriteCsv(windows_1252);
  for (auto _ : state) {
    auto workbook = kestrilo::ReadWorkbook(path);
    benchmark::DoNotOptimize(workbook->sheet(0).cell_count());
  }
  Count(state, path);
  std::filesystem::remove(path);
}

void ReadRows(benchmark::State& state, bool windows_1252) {
  const std::string path = WriteCsv(windows_1252);
  for (auto _ : state) {
    kestrilo_bench::CountingSink sink;
    kestrilo::OpenWorkbookFile(path)->ReadRows(kestrilo::SheetChoice(), sink);
    if (sink.cells() < std::size_t{kRecords} * kFields) {
      state.SkipWithError("the file was not read completely");
    }
  }
  Count(state, path);
  std::filesystem::remove(path);
}

void BM_ReadCsvUtf8(benchmark::State& state) { Read(state, false); }
BENCHMARK(BM_ReadCsvUtf8)->Unit(benchmark::kMillisecond);

void BM_ReadCsvWindows1252(benchmark::State& state) { Read(state, true); }
BENCHMARK(BM_ReadCsvWindows1252)->Unit(benchmark::kMillisecond);

void BM_ReadCsvRowsUtf8(benchmark::State& state) { ReadRows(state, false); }
BENCHMARK(BM_ReadCsvRowsUtf8)->Unit(benchmark::kMillisecond);

void BM_ReadCsvRowsWindows1252(benchmark::State& state) {
  ReadRows(state, true);
}
BENCHMARK(BM_ReadCsvRowsWindows1252)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
