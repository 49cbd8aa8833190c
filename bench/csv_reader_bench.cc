// Reads a 1,000,000-field csv file (100,000 records x 10 fields, some of
// them quoted with doubled quotes and line breaks inside) and, in the
// Windows-1252 variant, the same file with a non-UTF-8 byte in it.
//   build/bench/csv_reader_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/reading/csv/csv_reader.h"

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

void Read(benchmark::State& state, bool windows_1252) {
  const std::string path = WriteCsv(windows_1252);
  for (auto _ : state) {
    auto workbook = kestrilo::ReadCsv(path);
    benchmark::DoNotOptimize(workbook->sheet(0).cell_count());
  }
  state.counters["cells/s"] =
      benchmark::Counter(static_cast<double>(kRecords) * kFields,
                         benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB"] = std::filesystem::file_size(path) / 1e6;
  std::filesystem::remove(path);
}

void BM_ReadCsvUtf8(benchmark::State& state) { Read(state, false); }
BENCHMARK(BM_ReadCsvUtf8)->Unit(benchmark::kMillisecond);

void BM_ReadCsvWindows1252(benchmark::State& state) { Read(state, true); }
BENCHMARK(BM_ReadCsvWindows1252)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
