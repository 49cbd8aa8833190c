#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The records layout on the whole road, from an xlsx of 1,000,000 cells
# (bench/make_big_workbook.c: 100,000 rows of 10 columns) to its XML file:
# times kestrilo-cli with --records, and with --records --schema, against
# the header-row layout of the same workbook, and prints their peak memory.
# The targets: the records layout at most 1.3 times the header-row
# layout's time, at no more than 40 MB. The rows stream from the reader to
# the writer on both roads, so memory does not grow with the block.
# Wall-clock times suffer on a busy machine, so the CPU times are shown too.
#
# usage: bench/records_road.sh [path/to/kestrilo-cli]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "${1:-build/src/cli/kestrilo-cli}")

source bench/bench_common.sh
build_helper make_big_workbook
"$work/make_big_workbook" "$work/big.xlsx"
echo "workbook: $(stat -c %s "$work/big.xlsx") bytes, 100,001 rows x 10 columns"

header_row="$cli --quiet -o $work/rows $work/big.xlsx"
records="$cli --quiet --records Order -o $work/records $work/big.xlsx"
schema="$cli --quiet --records Order --schema -o $work/schema $work/big.xlsx"

# Peak memory of one run of each, measured apart from the timing runs.
peak() { echo "$(peak_mb "$@") MB"; }
echo "peak RSS: header row $(peak $header_row)," \
  "records $(peak $records), records with schema $(peak $schema)"

hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
  -n "header row" "$header_row" -n records "$records" \
  -n "records with schema" "$schema"
echo "XML bytes: header row $(stat -c %s "$work/rows/big.xml")," \
  "records $(stat -c %s "$work/records/big.xml")"

/usr/bin/python3 - "$work/times.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
for name, key in (("wall-clock median", "median"), ("CPU time (user+sys)", None)):
    time = lambda r: r["median"] if key else r["user"] + r["system"]
    base = time(results["header row"])
    print(f"{name}: header row {base:.3f} s")
    for layout in ("records", "records with schema"):
        t = time(results[layout])
        print(f"  {layout + ':':21s}{t:.3f} s, {t / base:5.2f} x  (target: at most 1.3)")
PY
