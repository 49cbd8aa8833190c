# SPDX-License-Identifier: MIT
# Sourced by the whole-road scripts, from the project's folder: a work
# folder that goes when the script ends, the helper programs of bench/
# built into it, and the peak memory of a command.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Builds bench/NAME.c into $work/NAME: make_big_workbook or inflate_floor.
build_helper() {
  case "$1" in
    make_big_workbook) cc -O2 -o "$work/$1" "bench/$1.c" -lxlsxwriter ;;
    inflate_floor)
      cc -O2 -o "$work/$1" "bench/$1.c" $(pkg-config --cflags --libs libzip)
      ;;
    *) echo "no helper $1" >&2; return 1 ;;
  esac
}

# The peak resident memory of one run of the command, in MB.
peak_mb() {
  /usr/bin/time -f "%M" -o "$work/rss" "$@" > /dev/null
  echo $(($(cat "$work/rss") / 1024))
}
