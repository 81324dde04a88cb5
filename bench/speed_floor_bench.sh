#!/bin/bash
# The program's speed beside what the system alone costs (system_floor.exe), in one Wine session,
# the two taking turns for REPEATS rounds: a password of 10,000,000 characters against the
# entropy limit (the system generator's bytes a second over the bytes an alphabet of 62 needs a
# character at its entropy, log2 62 / 8), a file of 1,000,000 passwords of 7 characters against
# the file's floor, the longest gap between message passes during the password against that of an
# empty queue-check loop running as long, and the peak memory against the file. Prints every
# round, then the medians and the goals, and last what bounds each figure beyond the floor: the
# fresh memory a password's text takes, the message passes (one a millisecond, each a queue
# check) and the time between two passes. Needs the mingw build (cmake --preset mingw).
#   bench/speed_floor_bench.sh [REPEATS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
repeats=${1:-5}
chars=10000000 count=1000000 length=7
cmake --build "$build" --target generate_bench password_file_bench system_floor >/dev/null
run=$build/wine-run
work=$(mktemp -d "$build/speed_floor_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
field() { sed -n "s/^$1[^0-9]*\([0-9.]*\).*/\1/p"; }

for round in $(seq "$repeats"); do
  rng=$("$run" "$build/bench/system_floor.exe" rng 33554432 | field rng)
  # Three passwords in one process: the median speed, the longest gap of the three, and how long
  # they took, which the empty loop then runs for.
  "$run" "$build/bench/generate_bench.exe" "$chars" 3 > "$work/generate"
  speed=$(field "characters per second: median" < "$work/generate")
  gap=$(field "longest gap between passes" < "$work/generate")
  ms=$(sed -n 's/^run [0-9]*: [0-9]* characters in \([0-9.]*\) s.*/\1/p' "$work/generate" | awk '{ s += $1 } END { print s * 1000 }')
  "$run" "$build/bench/system_floor.exe" gaps "$ms" > "$work/gaps"
  floor_gap=$(field "gaps: worst" < "$work/gaps")
  check_us=$(sed -n 's/.*median \([0-9.]*\) us.*/\1/p' "$work/gaps")
  # The mean time from one pass to the next during the passwords.
  period=$(sed -n 's/^run [0-9]*: [0-9]* characters in \([0-9.]*\) s, [0-9.]* million per second, \([0-9]*\) message passes.*/\1 \2/p' \
    "$work/generate" | awk '{ s += $1; p += $2 } END { print s * 1000 / p }')
  memory_ms=$("$run" "$build/bench/system_floor.exe" memory $((2 * chars)) | field memory)
  floor_file=$("$run" "$build/bench/system_floor.exe" file "$work/floor.txt" "$count" "$length" | field file)
  "$run" "$build/bench/password_file_bench.exe" "$work/file.txt" "$count" > "$work/file"
  file=$(field "generation and save" < "$work/file")
  memory=$(field "peak memory beyond the idle process" < "$work/file")
  bytes=$(stat -c %s "$work/file.txt")
  limit=$(awk -v r="$rng" 'BEGIN { print r / (log(62) / log(2) / 8) }')
  # The entropy limit with the fresh memory of the password's text, two bytes a character; the
  # file's floor with a queue check every millisecond; the gap's floor with one period between passes.
  limit_memory=$(awk -v r="$rng" -v m="$memory_ms" -v n="$chars" \
    'BEGIN { print n / (n * log(62) / log(2) / 8 / r + m * 1000) }')
  file_passes=$(awk -v f="$floor_file" -v c="$check_us" 'BEGIN { print f + f * 1000 * c / 1e6 }')
  gap_period=$(awk -v g="$floor_gap" -v p="$period" 'BEGIN { print g + p }')
  echo "$speed $limit $file $floor_file $gap $floor_gap $memory $bytes $limit_memory $file_passes $gap_period" >> "$work/rounds"
  printf 'round %d: password %.1f M/s (limit %.1f M/s at %.1f MB/s, %.1f M/s with %.0f ms of fresh memory), file %.3f s (floor %.3f s), gap %.2f ms (floor %.2f ms in %.0f ms, a pass every %.2f ms, a queue check %.1f us), memory %.1f MB\n' \
    "$round" "$speed" "$limit" "$rng" "$limit_memory" "$memory_ms" "$file" "$floor_file" "$gap" "$floor_gap" "$ms" "$period" "$check_us" "$memory"
done

column() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
ratio() { awk -v a="$1" -v b="$2" '{ print $a / $b }' "$work/rounds" | median; }
difference() { awk -v a="$1" -v b="$2" '{ print $a - $b }' "$work/rounds" | median; }
speed=$(column 1) limit=$(column 2) file=$(column 3) floor_file=$(column 4) gap=$(column 5) floor_gap=$(column 6)
memory=$(awk '{ print $7 * 1e6 / $8 }' "$work/rounds" | median)
speed_share=$(ratio 1 2) file_factor=$(ratio 3 4) gap_over=$(difference 5 6)
verdict() { awk -v v="$1" -v goal="$2" -v op="$3" 'BEGIN { met = op == ">=" ? v >= goal : v <= goal; print met ? "met" : "NOT met" }'; }
echo "== medians of $repeats rounds (the ratios per round, then their median)"
printf '| measure | Tarvelin | floor | against the floor | goal |\n|---|---|---|---|---|\n'
printf '| %s-character password | %.1f M chars/s | entropy limit %.1f M/s | %.3f of it | >= 0.85: %s |\n' \
  "$chars" "$speed" "$limit" "$speed_share" "$(verdict "$speed_share" 0.85 ">=")"
printf '| %s x %s file, generation and save | %.3f s | %.3f s | %.3fx | <= 1.15x: %s |\n' \
  "$count" "$length" "$file" "$floor_file" "$file_factor" "$(verdict "$file_factor" 1.15 "<=")"
printf '| worst message gap of the password | %.2f ms | %.2f ms | %+.2f ms | <= +0.5 ms: %s |\n' \
  "$gap" "$floor_gap" "$gap_over" "$(verdict "$gap_over" 0.5 "<=")"
printf '| peak memory against the file | %.2fx | - | - | <= 2.5x: %s |\n' "$memory" "$(verdict "$memory" 2.5 "<=")"
echo "== what bounds them beyond the floor (medians of the per-round ratios)"
printf 'password against the entropy limit with the fresh memory of its %s bytes of text: %.3f of it\n' \
  "$((2 * chars))" "$(ratio 1 9)"
printf 'file against the floor with a message pass (a queue check) every millisecond: %.3fx\n' "$(ratio 3 10)"
printf 'gap against the floor plus the mean time between two passes: %+.2f ms\n' "$(difference 5 11)"
