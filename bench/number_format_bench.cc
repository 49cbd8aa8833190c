// SPDX-License-Identifier: MIT
// Renders 1,000,000 cells with each of a few common number formats, as a
// grid or an "as displayed" export would: the format compiled once, each
// cell rendered into one reused string. Reports cells per second; a grid
// renders about a thousand cells per screen, an export every cell once.
// Also the time to compile a format code, which a workbook does once per
// distinct code.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/display/compiled_format.h"
#include "engine/display/general_number.h"

namespace kestrilo {
namespace {

constexpr int kCells = 1000000;

// Values of the kind each format is used for: amounts of money with
// cents, ratios, dates of the last decades, times of day.
const std::vector<CellValue>& Values(char kind) {
  static const auto make = [](char of) {
    std::vector<CellValue> values;
    values.reserve(kCells);
    std::uint32_t seed = 12345;
    for (int i = 0; i < kCells; ++i) {
      seed = seed * 1103515245u + 12345u;
      const double r = static_cast<double>(seed >> 8) / (1u << 24);
      switch (of) {
        case 'm':  // money, some negative
          values.push_back(CellValue::Number((r - 0.2) * 100000.0));
          break;
        case 'r':  // ratios
          values.push_back(CellValue::Number(r));
          break;
        case 'd':  // dates 1990 to 2040
          values.push_back(CellValue::DateTime(32874 + r * 18262));
          break;
        default:  // times of day
          values.push_back(CellValue::DateTime(r, true));
          break;
      }
    }
    return values;
  };
  static const std::vector<CellValue> money = make('m');
  static const std::vector<CellValue> ratios = make('r');
  static const std::vector<CellValue> dates = make('d');
  static const std::vector<CellValue> times = make('t');
  switch (kind) {
    case 'm':
      return money;
    case 'r':
      return ratios;
    case 'd':
      return dates;
    default:
      return times;
  }
}

void RenderAll(benchmark::State& state, const char* code, char kind,
               int width) {
  const CompiledFormat format(code);
  const std::vector<CellValue>& values = Values(kind);
  std::string text;
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const CellValue& value : values) {
      format.Render(value, text, width);
      bytes += text.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * kCells);
  // Seconds per cell, printed with its prefix ("95n" is 95 ns).
  state.counters["per_cell"] =
      benchmark::Counter(kCells, benchmark::Counter::kIsIterationInvariantRate |
                                     benchmark::Counter::kInvert);
}

void BM_Money(benchmark::State& state) {
  RenderAll(state, R"("$"#,##0.00_);[Red]\("$"#,##0.00\))", 'm',
            kUnlimitedWidth);
}
void BM_Thousands(benchmark::State& state) {
  RenderAll(state, "#,##0.00", 'm', kUnlimitedWidth);
}
void BM_Percent(benchmark::State& state) {
  RenderAll(state, "0.00%", 'r', kUnlimitedWidth);
}
void BM_GeneralUnlimited(benchmark::State& state) {
  RenderAll(state, "General", 'm', kUnlimitedWidth);
}
void BM_GeneralInEightCharacters(benchmark::State& state) {
  RenderAll(state, "General", 'r', 8);
}
void BM_Date(benchmark::State& state) {
  RenderAll(state, "m/d/yyyy", 'd', kUnlimitedWidth);
}
void BM_LongDate(benchmark::State& state) {
  RenderAll(state, "dddd, mmmm d, yyyy", 'd', kUnlimitedWidth);
}
void BM_TimeAmPm(benchmark::State& state) {
  RenderAll(state, "h:mm AM/PM", 't', kUnlimitedWidth);
}

void BM_Compile(benchmark::State& state) {
  for (auto _ : state) {
    CompiledFormat format(
        R"(_("$"* #,##0.00_);_("$"* \(#,##0.00\);_("$"* "-"??_);_(@_))");
    benchmark::DoNotOptimize(format);
  }
}

BENCHMARK(BM_Money)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Thousands)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Percent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralUnlimited)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralInEightCharacters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Date)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimeAmPm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile);

}  // namespace
}  // namespace kestrilo

BENCHMARK_MAIN();
