#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole road of each format, from a file of about 1,000,000 cells to its
# XML with kestrilo-cli and the default options, measured in one run beside
# the floor of that format: for xlsx and ods, inflating every part
# in-process a megabyte at a time (bench/inflate_floor.c); for xls and csv,
# reading the file (cat). Then an xlsx as openpyxl's write-only mode writes
# it (no <dimension>) with the default options, against the same block
# given with --range.
#
# Targets: peak memory at most 40 MB in every format; xlsx within 2.5 times
# its floor, ods within 2 times; csv at 200 MB of input per second or more;
# the openpyxl file with default options at most 1.15 times the time and
# the memory of --range. Wall-clock times suffer on a busy machine: the
# CPU times are shown too.
#
# usage: bench/format_roads.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
cli="$build/src/cli/kestrilo-cli"
python=/usr/bin/python3  # the Debian python, which has python3-openpyxl

source bench/bench_common.sh
build_helper make_big_workbook
build_helper inflate_floor

# 100,000 rows of 10 columns each, the same values in every format.
"$work/make_big_workbook" "$work/big.xlsx"
"$python" bench/make_big_ods.py "$work/big.ods"
"$build/bench/xls_reader_bench" --write="$work/big.xls"
"$python" bench/make_big_csv.py "$work/big.csv"
"$python" bench/make_big_openpyxl.py "$work/openpyxl.xlsx"

peak() {  # the median peak of five runs, in MB: it varies by a few MB
  for _ in 1 2 3 4 5; do peak_mb "$@"; done | sort -n | sed -n 3p
}

# Each run writes a new file, as a first export does: replacing an earlier
# output adds the file system's deletion of it (about 7 ms for the 29 MB of
# XML here), which the csv line measures on its own too.
road() {  # FORMAT FLOOR_COMMAND [replace]
  local file="$work/big.$1"
  local convert="$cli --quiet -o $work/out $file"
  local prepare="rm -f $work/out/big.xml"
  [[ "${3:-}" == replace ]] && prepare=true
  hyperfine -N --warmup 1 --runs 7 --export-json "$work/$1.json" \
    --prepare "$prepare" -n floor "$2 $file" -n kestrilo-cli "$convert" \
    > /dev/null 2>&1
  "$python" - "$work/$1.json" "$1${3:+ ($3)}" "$(stat -c %s "$file")" \
    "$(peak $convert)" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
name, size, peak = sys.argv[2], int(sys.argv[3]), sys.argv[4]
cli, floor = results["kestrilo-cli"], results["floor"]
cpu = lambda r: r["user"] + r["system"]
line = (f"{name:5} {size / 1e6:6.1f} MB  floor {floor['median']:.3f} s  "
        f"kestrilo-cli {cli['median']:.3f} s (CPU {cpu(cli):.3f} s)  "
        f"ratio {cli['median'] / max(floor['median'], 1e-3):.2f}  "
        f"peak {peak} MB")
if name.startswith("csv"):
    line += f"  {size / 1e6 / cli['median']:.0f} MB/s"
print(line)
PY
}

road xlsx "$work/inflate_floor"
road ods "$work/inflate_floor"
road xls cat
road csv cat
road csv cat replace

range="--range A1:J100001"
hyperfine -N --warmup 1 --runs 7 --export-json "$work/openpyxl.json" \
  -n range "$cli --quiet $range -o $work/out $work/openpyxl.xlsx" \
  -n default "$cli --quiet -o $work/out $work/openpyxl.xlsx" > /dev/null 2>&1
"$python" - "$work/openpyxl.json" \
  "$(peak "$cli" --quiet $range -o "$work/out" "$work/openpyxl.xlsx")" \
  "$(peak "$cli" --quiet -o "$work/out" "$work/openpyxl.xlsx")" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
given, default = results["range"]["median"], results["default"]["median"]
print(f"openpyxl write-only xlsx: --range {given:.3f} s {sys.argv[2]} MB, "
      f"default {default:.3f} s {sys.argv[3]} MB: "
      f"time x{default / given:.2f}, memory x{int(sys.argv[3]) / int(sys.argv[2]):.2f}")
PY
