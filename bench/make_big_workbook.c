// SPDX-License-Identifier: MIT

/* Writes the workbook of the whole-road benchmark: 100,000 rows of 10
 * columns (a header row on top) holding repeated and unique texts (shared
 * strings), integers, decimals, booleans, dates and date-times. A second
 * argument asks for another count of rows (1000000 gives 10,000,000 cells). */
#include <stdio.h>
#include <stdlib.h>
#include <xlsxwriter.h>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    fprintf(stderr, "usage: %s OUTPUT.xlsx [ROWS]\n", argv[0]);
    return 2;
  }
  const long rows = argc == 3 ? strtol(argv[2], NULL, 10) : 100000;
  if (rows < 1 || rows > 1048575) {
    fprintf(stderr, "ROWS must lie between 1 and 1048575\n");
    return 2;
  }
  static const char* const kHeaders[10] = {
      "Region", "Customer",   "Quantity", "Unit Price", "Paid",
      "Ordered", "Shipped At", "Discount", "Notes",      "Code"};
  static const char* const kRegions[5] = {"North", "South", "East", "West",
                                          "Central & Islands"};
  lxw_workbook* workbook = workbook_new(argv[1]);
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Orders");
  lxw_format* date = workbook_add_format(workbook);
  format_set_num_format(date, "yyyy-mm-dd");
  lxw_format* date_time = workbook_add_format(workbook);
  format_set_num_format(date_time, "yyyy-mm-dd hh:mm");
  for (int c = 0; c < 10; ++c) worksheet_write_string(sheet, 0, c, kHeaders[c], NULL);
  char text[64];
  for (int r = 1; r <= rows; ++r) {
    worksheet_write_string(sheet, r, 0, kRegions[r % 5], NULL);
    snprintf(text, sizeof text, "Customer %d", r);
    worksheet_write_string(sheet, r, 1, text, NULL);
    worksheet_write_number(sheet, r, 2, r % 97, NULL);
    worksheet_write_number(sheet, r, 3, (r % 1000) / 8.0 + 0.99, NULL);
    worksheet_write_boolean(sheet, r, 4, r % 3 == 0, NULL);
    lxw_datetime day = {2020 + r % 5, 1 + r % 12, 1 + r % 28, 0, 0, 0};
    worksheet_write_datetime(sheet, r, 5, &day, date);
    lxw_datetime moment = {2021, 1 + r % 12, 1 + r % 28, r % 24, r % 60, 0};
    worksheet_write_datetime(sheet, r, 6, &moment, date_time);
    worksheet_write_number(sheet, r, 7, (r % 20) / 100.0, NULL);
    worksheet_write_string(sheet, r, 8, r % 7 ? "ok" : "call <back> later",
                           NULL);
    worksheet_write_number(sheet, r, 9, 1000000 + r * 7, NULL);
  }
  return workbook_close(workbook) == LXW_NO_ERROR ? 0 : 1;
}
