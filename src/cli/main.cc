// SPDX-License-Identifier: MIT

#include <malloc.h>

#include <string>
#include <vector>

#include "cli/cli_run.h"

int main(int argc, char** argv) {
  // A run allocates and frees buffers of tens of megabytes per workbook (the
  // inflated sheet, the cells, the XML). Keeping them in the heap instead of
  // mapping and unmapping each one saves a page fault per 4 KiB touched.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  return kestrilo::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
