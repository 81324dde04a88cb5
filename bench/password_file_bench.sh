#!/bin/bash
# Writes a file of passwords of 7 characters with the program's own command under Wine, timed as
# a whole process beside pwgen doing the same in the same run, and checks that 10 million
# passwords complete. Needs the mingw build (cmake --preset mingw) and Debian's pwgen.
#   bench/password_file_bench.sh [COUNT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
count=${1:-1000000}
cmake --build "$build" --target password_file_bench >/dev/null
run=$build/wine-run bench=$build/bench/password_file_bench.exe
work=$(mktemp -d "$build/password_file_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "== Tarvelin, 10 passwords: the idle process"
/usr/bin/time -f "whole process: %e s, peak resident %M KB" "$run" "$bench" "$work/idle.txt" 10 2>&1

echo "== Tarvelin, $count passwords"
/usr/bin/time -f "whole process: %e s, peak resident %M KB" "$run" "$bench" "$work/tarvelin.txt" "$count" 2>&1
echo "file: $(stat -c %s "$work/tarvelin.txt") bytes, $(wc -l < "$work/tarvelin.txt") lines"
echo "== pwgen -s -1 7 $count"
/usr/bin/time -f "whole process: %e s, peak resident %M KB" sh -c "pwgen -s -1 7 $count > '$work/pwgen.txt'" 2>&1
echo "file: $(stat -c %s "$work/pwgen.txt") bytes"
echo "== Tarvelin, 10000000 passwords"
/usr/bin/time -f "whole process: %e s, peak resident %M KB" "$run" "$bench" "$work/ten.txt" 10000000 2>&1
echo "file: $(stat -c %s "$work/ten.txt") bytes"
