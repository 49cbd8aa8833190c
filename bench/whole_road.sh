#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole road from an xlsx of 1,000,000 cells to its XML file: times
# kestrilo-cli against the floor (inflating every part of the file into
# memory in-process with zlib, through libzip: no reader can do less) and
# against a short openpyxl script, and prints the two ratios and the peak
# memory. The targets: kestrilo-cli / floor at most 2.5, openpyxl /
# kestrilo-cli at least 25, peak memory under 40 MB.
# Wall-clock times suffer on a busy machine, so the CPU times are shown too.
#
# With --big, the workbook has 10,000,000 cells (1,000,000 rows) instead and
# openpyxl is left out; the target there is a peak under 100 MB.
#
# usage: bench/whole_road.sh [--big] [path/to/kestrilo-cli] [CLI OPTIONS...]
set -euo pipefail
cd "$(dirname "$0")/.."
rows=100000
if [ "${1:-}" = --big ]; then
  rows=1000000
  shift
fi
cli=$(realpath "${1:-build/src/cli/kestrilo-cli}")
shift || true
cli_options=("$@")
python=/usr/bin/python3  # the Debian python, which has python3-openpyxl

source bench/bench_common.sh
build_helper make_big_workbook
build_helper inflate_floor
"$work/make_big_workbook" "$work/big.xlsx" "$rows"
echo "workbook: $(stat -c %s "$work/big.xlsx") bytes, $((rows + 1)) rows x 10 columns"
echo "floor in-process: $("$work/inflate_floor" "$work/big.xlsx")"

# Peak memory of one run of each, measured apart from the timing runs.
peak() { echo "$(peak_mb "$@") MB"; }
cli_command="$cli --quiet ${cli_options[*]} -o $work/out $work/big.xlsx"
echo "peak RSS: floor $(peak "$work/inflate_floor" "$work/big.xlsx"), " \
  "kestrilo-cli $(peak $cli_command)"

if [ "$rows" -ne 100000 ]; then
  hyperfine --runs 2 --export-json "$work/fast.json" \
    -n floor "$work/inflate_floor $work/big.xlsx" \
    -n kestrilo-cli "$cli_command"
else
  hyperfine --warmup 1 --runs 5 --export-json "$work/fast.json" \
    -n floor "$work/inflate_floor $work/big.xlsx" \
    -n kestrilo-cli "$cli_command"
  hyperfine --runs 2 --export-json "$work/slow.json" \
    -n openpyxl "$python bench/openpyxl_road.py $work/big.xlsx $work/big.py.xml"
  echo "XML lines: kestrilo-cli $(wc -l < "$work/out/big.xml")," \
    "openpyxl $(wc -l < "$work/big.py.xml")"
fi

"$python" - "$work"/*.json <<'PY'
import json, sys
wall, cpu = {}, {}
for path in sys.argv[1:]:
    for result in json.load(open(path))["results"]:
        wall[result["command"]] = result["median"]
        cpu[result["command"]] = result["user"] + result["system"]
for name, times in (("wall-clock median", wall), ("CPU time (user+sys)", cpu)):
    cli, floor = times["kestrilo-cli"], times["floor"]
    line = f"{name}: floor {floor:.3f} s, kestrilo-cli {cli:.3f} s"
    if "openpyxl" in times:
        line += f", openpyxl {times['openpyxl']:.3f} s"
    print(line)
    print(f"  kestrilo-cli / floor:    {cli / floor:6.2f}  (target: at most 2.5)")
    if "openpyxl" in times:
        print(f"  openpyxl / kestrilo-cli: {times['openpyxl'] / cli:6.2f}"
              "  (target: at least 25)")
PY
