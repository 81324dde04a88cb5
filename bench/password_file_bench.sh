#!/bin/bash
# Writes a file of COUNT passwords of 7 characters with the program's own command under Wine,
# timed as a whole process beside two peers in the same run: the tr pipeline a Linux user
# reaches for, and pwgen. The contenders take turns, REPEATS rounds; prints every round, then the
# medians and ranges, both ratios, and the peak memory beyond the idle process against the size
# of the file. Last, checks that ten times COUNT passwords complete. Needs the mingw build
# (cmake --preset mingw) and Debian's pwgen.
#   bench/password_file_bench.sh [COUNT] [REPEATS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
count=${1:-1000000} repeats=${2:-5}
cmake --build "$build" --target password_file_bench >/dev/null
run=$build/wine-run bench=$build/bench/password_file_bench.exe
work=$(mktemp -d "$build/password_file_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Runs a command, appends its whole-process time in seconds to the file named first.
timed() {
  local into=$1
  shift
  /usr/bin/time -o "$work/time" -f %e "$@"
  cat "$work/time" >> "$into"
}
# The median, smallest and largest of the numbers in a file, one a line.
summary() { sort -g "$1" | awk '{ v[NR] = $1 } END { printf "%.3f (%.3f to %.3f)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
field() { sed -n "s/^$1: \([0-9.]*\).*/\1/p" "$2"; }

for round in $(seq "$repeats"); do
  timed "$work/idle" "$run" "$bench" "$work/idle.txt" 10 > "$work/out"
  timed "$work/tarvelin" "$run" "$bench" "$work/tarvelin.txt" "$count" > "$work/out"
  field "generation and save" "$work/out" >> "$work/inside"
  field "peak memory beyond the idle process" "$work/out" >> "$work/memory"
  timed "$work/tr" sh -c "tr -dc A-Za-z0-9 </dev/urandom | fold -w 7 | head -n $count > '$work/tr.txt'"
  timed "$work/pwgen" sh -c "pwgen -s -1 7 $count > '$work/pwgen.txt'"
  printf 'round %d: Tarvelin %s s (generation and save %s s, %s MB beyond idle), idle process %s s, tr %s s, pwgen %s s\n' \
    "$round" "$(tail -1 "$work/tarvelin")" "$(tail -1 "$work/inside")" "$(tail -1 "$work/memory")" \
    "$(tail -1 "$work/idle")" "$(tail -1 "$work/tr")" "$(tail -1 "$work/pwgen")"
done
bytes=$(stat -c %s "$work/tarvelin.txt")
echo "== $count passwords, medians of $repeats rounds (smallest to largest)"
echo "Tarvelin file: $bytes bytes, $(wc -l < "$work/tarvelin.txt") lines; tr file: $(stat -c %s "$work/tr.txt") bytes"
echo "Tarvelin generation and save: $(summary "$work/inside") s"
echo "Tarvelin whole process: $(summary "$work/tarvelin") s; the idle process (10 passwords): $(summary "$work/idle") s"
echo "tr pipeline whole process: $(summary "$work/tr") s"
echo "pwgen whole process: $(summary "$work/pwgen") s"
# Tarvelin's time against a peer's, per round: "slower" or "faster" by the median, the factor
# always at least 1, so that a ratio never reads the wrong way round.
compare() {
  paste "$work/tarvelin" "$work/$1" | awk '{ print $1 / $2 }' | sort -g | awk -v peer="$1" '
    { v[NR] = $1 }
    END {
      m = v[int((NR + 1) / 2)]
      if (m >= 1) printf "Tarvelin against %s: %.3fx slower (%.3f to %.3f, per round)\n", peer, m, v[1], v[NR]
      else printf "Tarvelin against %s: %.3fx faster (%.3f to %.3f, per round)\n", peer, 1 / m, 1 / v[NR], 1 / v[1]
    }'
}
compare tr
compare pwgen
awk -v mb="$(median "$work/memory")" -v bytes="$bytes" \
  'BEGIN { printf "peak memory beyond the idle process: %.1f MB, %.2fx the file\n", mb, mb * 1e6 / bytes }'

large=$((count * 10))
echo "== Tarvelin, $large passwords (ten times COUNT)"
/usr/bin/time -f "whole process: %e s, peak resident %M KB" "$run" "$bench" "$work/ten.txt" "$large" 2>&1
echo "file: $(stat -c %s "$work/ten.txt") bytes"
