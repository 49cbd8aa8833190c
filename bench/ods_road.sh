#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The road from an ods of 1,000,000 cells to its XML file: writes the
# workbook (bench/make_big_ods.py), then prints the peak resident memory and
# the times of kestrilo-cli for the row-first and the column-first layouts.
# Targets: the row-first road under 120 MB, the column-first one (which
# keeps the whole block) under 100 MB.
#
# usage: bench/ods_road.sh [path/to/kestrilo-cli]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "${1:-build/src/cli/kestrilo-cli}")

source bench/bench_common.sh
/usr/bin/python3 bench/make_big_ods.py "$work/big.ods"
echo "workbook: $(stat -c %s "$work/big.ods") bytes, 100,001 rows x 10 columns"

for order in row column; do
  /usr/bin/time -f "%M %e %U %S" -o "$work/time" \
    "$cli" --quiet --headers both --order "$order" -o "$work/out" "$work/big.ods"
  awk -v order="$order" '{ printf "%-6s first: peak %4d MB, wall-clock %5.2f s, CPU (user+sys) %5.2f s\n", order, $1 / 1024, $2, $3 + $4 }' "$work/time"
done
