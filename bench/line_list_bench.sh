#!/bin/bash
# Loads 100 MB line-list files under Wine: ANSI lines of 7 to 9 characters, and UTF-8 with a
# mark (Cyrillic lines of the same length); prints MB/s, the peak memory the process reports and
# the peak resident size of the Wine process. Needs the mingw build (cmake --preset mingw).
#   bench/line_list_bench.sh [MEGABYTES] [REPEATS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
megabytes=${1:-100} repeats=${2:-5}
cmake --build "$build" --target line_list_bench >/dev/null
run=$build/wine-run bench=$build/bench/line_list_bench.exe
work=$(mktemp -d "$build/line_list_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
for kind in ansi utf8; do
  "$run" "$bench" make $kind "$work/$kind.txt" "$megabytes" >/dev/null
  echo "== $kind"
  /usr/bin/time -f "peak resident size of the process: %M KB" "$run" "$bench" load "$work/$kind.txt" "$repeats" 2>&1
done
echo "== what a whole-file read and conversion costs here"
"$run" "$bench" floor "$work/ansi.txt" "$repeats"
