#!/usr/bin/env bash
# The whole road from an xlsx of 1,000,000 cells to its XML file: times
# kestrilo-cli against inflating every part of the file (unzip -p) and
# against a short openpyxl script, and prints the two ratios. The targets:
# kestrilo-cli / unzip at most 4, openpyxl / kestrilo-cli at least 15.
# Wall-clock times suffer on a busy machine, so the CPU times are shown too.
#
# usage: bench/whole_road.sh [path/to/kestrilo-cli]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "${1:-build/src/cli/kestrilo-cli}")
python=/usr/bin/python3  # the Debian python, which has python3-openpyxl

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -o "$work/make_big_workbook" bench/make_big_workbook.c -lxlsxwriter
"$work/make_big_workbook" "$work/big.xlsx"
echo "workbook: $(stat -c %s "$work/big.xlsx") bytes, 100,001 rows x 10 columns"

hyperfine --warmup 1 --runs 5 --export-json "$work/fast.json" \
  -n unzip "unzip -p $work/big.xlsx > /dev/null" \
  -n kestrilo-cli "$cli --quiet -o $work/out $work/big.xlsx"
hyperfine --runs 2 --export-json "$work/slow.json" \
  -n openpyxl "$python bench/openpyxl_road.py $work/big.xlsx $work/big.py.xml"

echo "XML lines: kestrilo-cli $(wc -l < "$work/out/big.xml"), openpyxl $(wc -l < "$work/big.py.xml")"

"$python" - "$work/fast.json" "$work/slow.json" <<'PY'
import json, sys
wall, cpu = {}, {}
for path in sys.argv[1:]:
    for result in json.load(open(path))["results"]:
        wall[result["command"]] = result["median"]
        cpu[result["command"]] = result["user"] + result["system"]
for name, times in (("wall-clock median", wall), ("CPU time (user+sys)", cpu)):
    cli, unzip, py = times["kestrilo-cli"], times["unzip"], times["openpyxl"]
    print(f"{name}: unzip -p {unzip:.3f} s, kestrilo-cli {cli:.3f} s, "
          f"openpyxl {py:.3f} s")
    print(f"  kestrilo-cli / unzip -p: {cli / unzip:6.2f}  (target: at most 4)")
    print(f"  openpyxl / kestrilo-cli: {py / cli:6.2f}  (target: at least 15)")
PY
