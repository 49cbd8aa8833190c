// SPDX-License-Identifier: MIT
// What the xlsx and ods reader benchmarks share: the workbook written in a
// child process (so that the writer's memory does not count in our peak),
// the floor of inflating every part without parsing, the read itself, and
// a summary line comparing the two. Run a benchmark as
//   build/bench/<name> [--keep=PATH]
// The summary gives the read time against the floor and the peak resident
// memory of the whole process; the next line the time of
// `unzip -p FILE > /dev/null`, the floor as the unzip tool measures it.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/reading/workbook_reader.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo_bench {

inline constexpr int kRows = 100000;
inline constexpr int kColumns = 10;

using WorkbookWriter = void (*)(const std::string& path);

inline void MakeWorkbookInChild(const std::string& path, WorkbookWriter write) {
  const pid_t child = fork();
  if (child == 0) {
    write(path);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    std::exit(1);
  }
}

inline double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

inline void InflateAllParts(const std::string& path) {
  kestrilo::ZipArchive zip(path);
  std::size_t bytes = 0;
  for (const std::string& name : zip.EntryNames()) {
    zip.ReadChunks(name,
                   [&](std::string_view chunk) { bytes += chunk.size(); });
  }
  benchmark::DoNotOptimize(bytes);
}

template <typename Function>
double BestSeconds(Function function, int runs) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    function();
    const std::chrono::duration<double> took =
        std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

inline void RegisterBenchmarks(const std::string& path,
                               const std::string& read_name) {
  benchmark::RegisterBenchmark("BM_InflateFloor", [path](
                                                      benchmark::State& state) {
    for (auto _ : state) InflateAllParts(path);
  })->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(read_name.c_str(), [path](
                                                      benchmark::State& state) {
    for (auto _ : state) {
      auto workbook = kestrilo::ReadWorkbook(path);
      if (workbook->sheet(0).cell_count() != std::size_t{kRows} * kColumns) {
        state.SkipWithError("the workbook was not read completely");
      }
    }
    state.counters["cells/s"] =
        benchmark::Counter(static_cast<double>(kRows) * kColumns,
                           benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_MB"] = PeakMegabytes();
  })->Unit(benchmark::kMillisecond);
}

inline void PrintSummary(const std::string& path) {
  const double floor = BestSeconds([&] { InflateAllParts(path); }, 3);
  const double read = BestSeconds(
      [&] { benchmark::DoNotOptimize(kestrilo::ReadWorkbook(path)); }, 3);
  std::printf(
      "summary: %d cells, file %.1f MB; inflate floor %.3f s, read %.3f s "
      "(%.2fx the floor, %.2f million cells/s); peak memory %.0f MB\n",
      kRows * kColumns, std::filesystem::file_size(path) / 1e6, floor, read,
      read / floor, kRows * kColumns / read / 1e6, PeakMegabytes());
  // The same floor as the unzip tool measures it, where it is installed.
  if (std::system("command -v unzip > /dev/null 2>&1") == 0) {
    const std::string unzip = "unzip -p '" + path + "' > /dev/null";
    const double tool =
        BestSeconds([&] { (void)!std::system(unzip.c_str()); }, 3);
    std::printf("unzip -p: %.3f s (read is %.2fx that)\n", tool, read / tool);
  }
}

/// The whole benchmark program: `extension` names the temporary workbook,
/// `read_name` the read benchmark, `write` makes the workbook;
/// `register_more`, when given, registers more benchmarks of the workbook
/// at `path`.
inline int RunPackageReaderBench(
    int argc, char** argv, const std::string& extension,
    const std::string& read_name, WorkbookWriter write,
    void (*register_more)(const std::string& path) = nullptr) {
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--keep=", 0) == 0) keep = arg.substr(7);
  }
  const std::string path =
      !keep.empty()
          ? keep
          : (std::filesystem::temp_directory_path() /
             ("kestrilo_bench_" + std::to_string(getpid()) + extension))
                .string();
  if (keep.empty() || !std::filesystem::exists(path)) {
    MakeWorkbookInChild(path, write);
  }
  benchmark::Initialize(&argc, argv);
  RegisterBenchmarks(path, read_name);
  if (register_more != nullptr) register_more(path);
  benchmark::RunSpecifiedBenchmarks();
  PrintSummary(path);
  if (keep.empty()) std::filesystem::remove(path);
  benchmark::Shutdown();
  return 0;
}

}  // namespace kestrilo_bench
