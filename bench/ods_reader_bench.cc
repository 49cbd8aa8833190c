// Reads a 1,000,000-cell ods (100,000 rows x 10 columns of texts, numbers,
// booleans, dates and times, written the way LibreOffice writes them) and,
// as the floor no reader can beat, inflates every part of the same file
// without parsing.
//
// The workbook is written with libzip in a child process, so that the
// writer's memory does not count in our peak. Run:
//   build/bench/ods_reader_bench [--keep=PATH]
// The summary line gives the read time against the floor and the peak
// resident memory of the whole process; the next line the time of
// `unzip -p FILE > /dev/null`, the floor as the unzip tool measures it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

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

void AppendText(std::string& xml, const char* text) {
  xml +=
      "<table:table-cell office:value-type=\"string\" "
      "calcext:value-type=\"string\"><text:p>";
  xml += text;
  xml += "</text:p></table:table-cell>";
}

void AppendFloat(std::string& xml, double value) {
  char number[32];
  std::snprintf(number, sizeof number, "%.15g", value);
  xml += "<table:table-cell office:value-type=\"float\" office:value=\"";
  xml += number;
  xml += "\" calcext:value-type=\"float\"><text:p>";
  xml += number;
  xml += "</text:p></table:table-cell>";
}

std::string ContentXml() {
  static const char* kCities[] = {"Athens", "Berlin", "Cairo",  "Dublin",
                                  "Essen",  "Faro",   "Geneva", "Hanoi"};
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
      "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
      "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:"
      "xmlns:calcext:1.0\" office:version=\"1.3\"><office:body>"
      "<office:spreadsheet><table:table table:name=\"Data\" "
      "table:style-name=\"ta1\"><table:table-column "
      "table:number-columns-repeated=\"10\"/>";
  xml.reserve(std::size_t{130} << 20);
  char text[64];
  for (int row = 0; row < kRows; ++row) {
    xml += "<table:table-row table:style-name=\"ro1\">";
    std::snprintf(text, sizeof text, "Customer %d", row);
    AppendText(xml, text);
    AppendText(xml, kCities[row % 8]);
    AppendFloat(xml, row);
    AppendFloat(xml, row * 1.25 + 0.001);
    xml += row % 3 == 0
               ? "<table:table-cell table:style-name=\"ce1\" "
                 "office:value-type=\"boolean\" office:boolean-value=\"true\" "
                 "calcext:value-type=\"boolean\"><text:p>TRUE</text:p>"
                 "</table:table-cell>"
               : "<table:table-cell table:style-name=\"ce1\" "
                 "office:value-type=\"boolean\" office:boolean-value=\"false\" "
                 "calcext:value-type=\"boolean\"><text:p>FALSE</text:p>"
                 "</table:table-cell>";
    const int day = 1 + row % 28, month = 1 + row / 28 % 12;
    std::snprintf(text, sizeof text, "%d-%02d-%02d", 2000 + row % 20, month,
                  day);
    xml +=
        "<table:table-cell table:style-name=\"ce2\" "
        "office:value-type=\"date\" office:date-value=\"";
    xml += text;
    xml += "\" calcext:value-type=\"date\"><text:p>";
    xml += text;
    xml += "</text:p></table:table-cell>";
    const int second = row % 86400;
    std::snprintf(text, sizeof text, "PT%02dH%02dM%02dS", second / 3600,
                  second / 60 % 60, second % 60);
    xml +=
        "<table:table-cell table:style-name=\"ce3\" "
        "office:value-type=\"time\" office:time-value=\"";
    xml += text;
    xml += "\" calcext:value-type=\"time\"><text:p>";
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600,
                  second / 60 % 60, second % 60);
    xml += text;
    xml += "</text:p></table:table-cell>";
    std::snprintf(text, sizeof text, "Order %d/%d", row % 977, row % 13);
    AppendText(xml, text);
    AppendFloat(xml, -row * 0.5);
    AppendText(xml, row % 2 ? "yes" : "no");
    xml += "</table:table-row>";
  }
  xml +=
      "<table:table-row table:number-rows-repeated=\"948576\">"
      "<table:table-cell table:number-columns-repeated=\"1024\"/>"
      "</table:table-row></table:table></office:spreadsheet></office:body>"
      "</office:document-content>";
  return xml;
}

void AddPart(zip_t* archive, const char* name, const std::string& content,
             bool compress) {
  zip_source_t* source =
      zip_source_buffer(archive, content.data(), content.size(), 0);
  const zip_int64_t index = zip_file_add(archive, name, source, 0);
  if (index < 0) std::exit(2);
  zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                           compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
}

void WriteWorkbook(const std::string& path) {
  const std::string mimetype = "application/vnd.oasis.opendocument.spreadsheet";
  const std::string manifest =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
      "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
      "manifest:version=\"1.3\"><manifest:file-entry manifest:full-path=\"/\" "
      "manifest:media-type=\"" +
      mimetype +
      "\"/><manifest:file-entry manifest:full-path=\"content.xml\" "
      "manifest:media-type=\"text/xml\"/></manifest:manifest>";
  const std::string content = ContentXml();
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) std::exit(2);
  AddPart(archive, "mimetype", mimetype, false);
  AddPart(archive, "content.xml", content, true);
  AddPart(archive, "META-INF/manifest.xml", manifest, true);
  if (zip_close(archive) != 0) std::exit(2);
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

void BM_ReadOds(benchmark::State& state) {
  for (auto _ : state) {
    auto workbook = kestrilo::ReadWorkbook(g_path);
    if (workbook->sheet(0).cell_count() != std::size_t{kRows} * kColumns) {
      state.SkipWithError("the workbook was not read completely");
    }
  }
  state.counters["cells/s"] =
      benchmark::Counter(static_cast<double>(kRows) * kColumns,
                         benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ReadOds)->Unit(benchmark::kMillisecond);

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
                  ("kestrilo_bench_" + std::to_string(getpid()) + ".ods"))
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
