// SPDX-License-Identifier: MIT

/* The floor of the whole-road benchmarks: opens a zip package with libzip and
 * inflates every entry, a megabyte at a time into one buffer, as any reader
 * of the file must at the least. Prints the bytes inflated and the seconds
 * it took in-process. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <zip.h>

static double Now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s PACKAGE.zip\n", argv[0]);
    return 2;
  }
  const double start = Now();
  int error = 0;
  zip_t* archive = zip_open(argv[1], ZIP_RDONLY, &error);
  if (archive == NULL) {
    fprintf(stderr, "%s: cannot open (libzip error %d)\n", argv[1], error);
    return 1;
  }
  enum { kPiece = 1 << 20 };
  char* buffer = malloc(kPiece);
  if (buffer == NULL) return 1;
  unsigned long long total = 0;
  const zip_int64_t entries = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < entries; ++i) {
    zip_file_t* file = zip_fopen_index(archive, (zip_uint64_t)i, 0);
    if (file == NULL) return 1;
    zip_int64_t read;
    while ((read = zip_fread(file, buffer, kPiece)) > 0) {
      total += (unsigned long long)read;
    }
    if (read < 0) return 1;
    zip_fclose(file);
  }
  free(buffer);
  zip_discard(archive);
  printf("%llu bytes inflated in %.3f s\n", total, Now() - start);
  return 0;
}
