#!/bin/bash
# Password-file runs whose length field is raised on the way, as a user typing would: the time,
# the peak memory against the file, and the longest round trip to the main window (WM_NULL sent
# again and again all through the run). First 1,000,000 passwords through GenRandomFile with the
# length at 3000 for 150 ms (password_file_bench --raise, REPEATS times); then the real
# Tarvelin.exe with 3,000,000 passwords chosen in its dialog and the length at 3000 for 150 ms,
# driven with xdotool and the probe, its memory read from /proc. PROGRAMS is the build folder
# whose programs run (another checkout's, to compare), the session is this build's: start it
# first with ctest --preset mingw -R wine.start. WINDOW_LENGTH sets the raised length of the
# window's runs (3000): a program that reserves room for the rest of a run at every raise asks
# for 6 bytes a remaining password a character there, up to 18 GB.
#   [WINDOW_LENGTH=N] bench/responsiveness_bench.sh [PROGRAMS] [REPEATS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
programs=$(cd "${1:-$build}" && pwd)
repeats=${2:-3}
window_length=${WINDOW_LENGTH:-3000}
if [ ! -f "$build/wine-session.env" ]; then
  echo "start the test session first: ctest --preset mingw -R wine.start" >&2
  exit 2
fi
if [ "$programs" = "$build" ]; then
  cmake --build "$build" --target password_file_bench Tarvelin ui_probe >/dev/null
fi
work=$(mktemp -d "$build/responsiveness_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

echo "== 1,000,000 passwords through GenRandomFile, the length 3000 for 150 ms ($programs)"
for round in $(seq "$repeats"); do
  /usr/bin/time -o "$work/time" -f "whole process: %e s, peak resident %M KB" \
    "$build/wine-run" "$programs/bench/password_file_bench.exe" "$(winpath "$work/inside.txt")" 1000000 --raise 3000 150 \
    >"$work/out"
  printf 'round %d: %s; peak memory %s beyond the idle process, %s the file; longest round trip %s; %s\n' "$round" \
    "$(sed -n 's/^generation and save: //p' "$work/out")" \
    "$(sed -n 's/^peak memory beyond the idle process: //p' "$work/out")" \
    "$(sed -n 's/^peak memory against the file: //p' "$work/out")" \
    "$(sed -n 's/^longest round trip: //p' "$work/out")" "$(cat "$work/time")"
done

echo "== the real window: 3,000,000 passwords chosen in the dialog, the length $window_length for 150 ms"
export TARVELIN_WINE_RUN=$build/wine-run TARVELIN_WINE_SESSION=$build/wine-session.env TARVELIN_BUILD=$programs
. "$root/tests/e2e/e2e_lib.sh"
trap 'rm -rf "$work" "$probe_out"; [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null; true' EXIT
memory() { sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$program_pid/status"; }
start_program
for round in $(seq "$repeats"); do
  file=$work/window-$round.txt
  click_client "$window" 178 101 524 136  # the password-file button
  dialog=$(wait_window '^Соханение файла паролей$' 10) || fail "no password-file dialog"
  sleep 1
  probe set count 3000000
  click_client "$dialog" 73 51 482 73  # "Выбрать файл"
  echo 5 >"/proc/$program_pid/clear_refs"
  before=$(memory VmRSS)
  # The watch starts as the file is chosen; the length is raised 300 ms later, inside the run.
  probe save-as "$(winpath "$file")" watch "$(winpath "$file")" 2 "300:length=$window_length|450:length=7"
  peak=$(($(memory VmHWM) - before))
  bytes=$(stat -c %s "$file")
  printf 'round %d: file written after %s ms, %d bytes, %d lines; peak memory %.1f MB beyond the start, %.2fx the file; longest round trips %s (ms@ms after the choice) of %s\n' \
    "$round" "$(seen watch.done_ms)" "$bytes" "$(wc -l <"$file")" "$(echo "$peak / 1000" | bc -l)" \
    "$(echo "$peak * 1024 / $bytes" | bc -l)" "$(seen watch.slowest)" "$(seen watch.pings)"
  rm -f "$file"
done
probe close
wait_exit 60 || fail "the program did not end"
