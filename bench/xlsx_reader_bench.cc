// SPDX-License-Identifier: MIT
// Reads a 1,000,000-cell xlsx (100,000 rows x 10 columns of shared and
// plain texts, numbers, booleans, dates and times) and, as the floor no
// reader can beat, inflates every part of the same file without parsing.
// The workbook is written with libxlsxwriter; see package_reader_bench.h for
// how to run it and what it prints.
#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "package_reader_bench.h"

namespace {

using kestrilo_bench::kColumns;
using kestrilo_bench::kRows;

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

}  // namespace

int main(int argc, char** argv) {
  return kestrilo_bench::RunPackageReaderBench(argc, argv, ".xlsx",
                                               "BM_ReadXlsx", WriteWorkbook);
}
