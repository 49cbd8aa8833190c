// SPDX-License-Identifier: MIT
// Reads a 1,000,000-cell ods (100,000 rows x 10 columns of texts, numbers,
// booleans, dates and times, written the way LibreOffice writes them) into
// the model (BM_ReadOds) and row by row into a sink that only counts
// (BM_ReadOdsRows, the road of a conversion; its peak_MB is its own when it
// runs alone: --benchmark_filter=BM_ReadOdsRows) and, as the floor no
// reader can beat, inflates every part of the same file without parsing.
// The workbook is written with libzip; see package_reader_bench.h for how
// to run it and what it prints.
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "counting_sink.h"
#include "engine/model/sheet_choice.h"
#include "engine/reading/open_workbook_file.h"
#include "package_reader_bench.h"

namespace {

using kestrilo_bench::kColumns;
using kestrilo_bench::kRows;

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

void RegisterReadRows(const std::string& path) {
  benchmark::RegisterBenchmark("BM_ReadOdsRows", [path](
                                                     benchmark::State& state) {
    for (auto _ : state) {
      kestrilo_bench::CountingSink sink;
      kestrilo::OpenWorkbookFile(path)->ReadRows(kestrilo::SheetChoice(), sink);
      if (sink.cells() != std::size_t{kRows} * kColumns) {
        state.SkipWithError("the sheet was not read completely");
      }
    }
    state.counters["cells/s"] =
        benchmark::Counter(static_cast<double>(kRows) * kColumns,
                           benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_MB"] = kestrilo_bench::PeakMegabytes();
  })->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  return kestrilo_bench::RunPackageReaderBench(argc, argv, ".ods", "BM_ReadOds",
                                               WriteWorkbook, RegisterReadRows);
}
