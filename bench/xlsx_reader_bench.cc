// Reads a 1,000,000-cell xlsx (100,000 rows x 10 columns of shared and
// plain texts, numbers, booleans, dates and times) and, as the floor no
// reader can beat, inflates every part of the same file without parsing.
//
// The workbook is written by libxlsxwriter in a child process, so that the
// writer's memory does not count in our peak. Run:
//   build/bench/xlsx_reader_bench [--keep=PATH]
// The summary line gives the read time against the floor and the peak
// resident memory of the whole process; the next line the time of
// `unzip -p FILE > /dev/null`, the floor as the unzip tool measures it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/workbook_reader.h"
#include "engine/zip_archive.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 10;
std::string g_path;

void WriteWorkbook(const std::string& path) {
  lxw_workbook* workbook = workbook_new(path.c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Data");
  lxw_format* date = workbook_add_format(workbook);
  format_set_num_format(date, "yyyy-mm-dd");
  lxw_format* time = workbook_add_format(workbook);
  format_set_num_format(time, "hh:mm:ss");
  const char* kCities[] = {"Athens", "Berlin", "Cairo",  "Dublin",
                           "Essen",  "Faro",   "Geneva", "Hanoi"};
  char text[64];
  for (int row = 0; row < kRows; ++row) {
    std::snprintf(text, sizeof text, "Customer %d", row);
    worksheet_write_string(sheet, row, 0, text, nullptr);
    worksheet_write_string(sheet, row, 1, kCities[row % 8], nullptr);
    worksheet_write_number(sheet, row, 2, row, nullptr);
    worksheet_write_number(sheet, row, 3, row * 1.25 + 0.001, nullptr);
    worksheet_write_boolean(sheet, row, 4, row % 3 == 0, nullptr);
    worksheet_write_number(sheet, row, 5, 40000 + row % 5000, date);
    worksheet_write_number(sheet, row, 6, (row % 86400) / 86400.0, time);
    std::snprintf(text, sizeof text, "Order %d/%d", row % 977, row % 13);
    worksheet_write_string(sheet, row, 7, text, nullptr);
    worksheet_write_number(sheet, row, 8, -row * 0.5, nullptr);
    worksheet_write_string(sheet, row, 9, row % 2 ? "yes" : "no", nullptr);
  }
  if (workbook_close(workbook) != LXW_NO_ERROR) std::exit(2);
}

void MakeWorkbookInChild(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    WriteWorkbook(path);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    std::exit(1);
  }
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void InflateAllParts() {
  kestrilo::ZipArchive zip(g_path);
  std::size_t bytes = 0;
  for (const std::string& name : zip.EntryNames()) {
    zip.ReadChunks(name,
                   [&](std::string_view chunk) { bytes += chunk.size(); });
  }
  benchmark::DoNotOptimize(bytes);
}

void BM_InflateFloor(benchmark::State& state) {
  for (auto _ : state) InflateAllParts();
}
BENCHMARK(BM_InflateFloor)->Unit(benchmark::kMillisecond);

void BM_ReadXlsx(benchmark::State& state) {
  for (auto _ : state) {
    auto workbook = kestrilo::ReadWorkbook(g_path);
    benchmark::DoNotOptimize(workbook->sheet(0).cell_count());
  }
  state.counters["cells/s"] =
      benchmark::Counter(static_cast<double>(kRows) * kColumns,
                         benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ReadXlsx)->Unit(benchmark::kMillisecond);

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

}  // namespace

int main(int argc, char** argv) {
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--keep=", 0) == 0) keep = arg.substr(7);
  }
  g_path = !keep.empty()
               ? keep
               : (std::filesystem::temp_directory_path() /
                  ("kestrilo_bench_" + std::to_string(getpid()) + ".xlsx"))
                     .string();
  if (keep.empty() || !std::filesystem::exists(g_path)) {
    MakeWorkbookInChild(g_path);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  const double floor = BestSeconds(InflateAllParts, 3);
  const double read = BestSeconds(
      [] { benchmark::DoNotOptimize(kestrilo::ReadWorkbook(g_path)); }, 3);
  std::printf(
      "summary: %d cells, file %.1f MB; inflate floor %.3f s, read %.3f s "
      "(%.2fx the floor, %.2f million cells/s); peak memory %.0f MB\n",
      kRows * kColumns, std::filesystem::file_size(g_path) / 1e6, floor, read,
      read / floor, kRows * kColumns / read / 1e6, PeakMegabytes());
  // The same floor as the unzip tool measures it, where it is installed.
  if (std::system("command -v unzip > /dev/null 2>&1") == 0) {
    const std::string unzip = "unzip -p '" + g_path + "' > /dev/null";
    const double tool =
        BestSeconds([&] { (void)!std::system(unzip.c_str()); }, 3);
    std::printf("unzip -p: %.3f s (read is %.2fx that)\n", tool, read / tool);
  }
  if (keep.empty()) std::filesystem::remove(g_path);
  benchmark::Shutdown();
  return 0;
}
