// SPDX-License-Identifier: MIT
// Speed and memory of the XML writer on a block of 1,000,000 cells
// (100,000 rows x 10 columns of mixed text and numbers) held in memory, for
// each of the six layouts and the records layout, streamed to a sink that only
// counts (as a file would take it), and once kept whole in memory. Memory is
// counted by replacing the global allocation functions: "peak_MB" is the
// largest number of bytes the conversion had allocated at one time,
// "peak_x_text" that divided by the size of its text.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "engine/model/workbook.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/writing/xml_sink.h"
#include "engine/writing/xml_writer.h"

namespace {

std::size_t live_bytes = 0;
std::size_t peak_bytes = 0;

void* Allocate(std::size_t size) {
  void* pointer = std::malloc(size == 0 ? 1 : size);
  if (pointer == nullptr) throw std::bad_alloc();
  live_bytes += malloc_usable_size(pointer);
  if (live_bytes > peak_bytes) peak_bytes = live_bytes;
  return pointer;
}

void Release(void* pointer) {
  if (pointer == nullptr) return;
  live_bytes -= malloc_usable_size(pointer);
  std::free(pointer);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept {
  Release(pointer);
}

namespace kestrilo {
namespace {

constexpr std::int32_t kRows = 100000;
constexpr std::int32_t kColumns = 10;
constexpr const char* kAddress = "$A$1:$J$100000";

const char* const kHeaders[kColumns] = {
    "Order Id", "Customer",   "Product",  "Region", "Note",
    "Quantity", "Unit Price", "Discount", "Total",  "Weight"};
const char* const kWords[] = {"Apple",  "Green Pear",   "Smith & Sons",
                              "Banana", "Orchard Road", "North",
                              "South",  "Plum",         "a<b"};

// Row 1 holds headers; below it five text columns and five number columns.
const Workbook& BenchWorkbook() {
  static const Workbook* workbook = [] {
    auto* book = new Workbook("bench.xlsx", "xlsx");
    Sheet& sheet = book->AddSheet("Sheet1", false);
    for (std::int32_t column = 1; column <= kColumns; ++column) {
      sheet.SetText(1, column, kHeaders[column - 1]);
    }
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (std::int32_t row = 2; row <= kRows; ++row) {
      sheet.SetText(row, 1, "ORD-" + std::to_string(row));
      for (std::int32_t column = 2; column <= 5; ++column) {
        sheet.SetText(row, column, kWords[next() % 9]);
      }
      sheet.SetNumber(row, 6, next() % 1000);
      sheet.SetNumber(row, 7, (next() % 100000) / 100.0);
      sheet.SetNumber(row, 8, (next() % 50) / 100.0);
      sheet.SetNumber(row, 9, (next() % 10000000) / 7.0);
      sheet.SetNumber(row, 10, next() % 2 ? 1.25 : 0.1 + 0.2);
    }
    sheet.Finish();
    return book;
  }();
  return *workbook;
}

// Takes the text as a file does, keeping none of it.
class CountingSink : public XmlSink {
 public:
  void Write(std::string_view text) override { bytes += text.size(); }
  std::size_t bytes = 0;
};

void BM_Layout(benchmark::State& state, bool header_row, bool header_column,
               bool row_first, bool whole, bool records = false,
               bool schema = false) {
  WorkbookCellSource source(BenchWorkbook(), 0);
  ExportOptions options;
  options.title = "Bench Data";
  options.header_row = header_row;
  options.header_column = header_column;
  options.row_first = row_first;
  options.records = records;
  options.record_tag = "Order";
  options.schema = schema;
  std::size_t bytes = 0;
  std::size_t peak = 0;
  for (auto _ : state) {
    const std::size_t before = live_bytes;
    peak_bytes = live_bytes;
    if (whole) {
      std::string xml = BlockToXml(source, options, kAddress);
      bytes = xml.size();
      benchmark::DoNotOptimize(xml.data());
    } else {
      CountingSink sink;
      WriteBlockXml(source, options, kAddress, sink);
      bytes = sink.bytes;
    }
    peak = peak_bytes - before;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
  state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["peak_x_text"] =
      static_cast<double>(peak) / static_cast<double>(bytes);
}

BENCHMARK_CAPTURE(BM_Layout, BothHeadersRowFirst, true, true, true, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Layout, BothHeadersColumnFirst, true, true, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Layout, NoHeadersRowFirst, false, false, true, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Layout, NoHeadersColumnFirst, false, false, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Layout, HeaderRow, true, false, true, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Layout, HeaderColumn, false, true, true, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Layout, HeaderRowWhole, true, false, true, true)
    ->Unit(benchmark::kMillisecond);
// The records layout, and with its schema learned as it goes: against
// HeaderRow, at most 1.3 times the time.
BENCHMARK_CAPTURE(BM_Layout, Records, true, false, true, false, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Layout, RecordsWithSchema, true, false, true, false, true,
                  true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrilo

BENCHMARK_MAIN();
