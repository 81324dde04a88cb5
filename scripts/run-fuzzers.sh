#!/bin/bash
# Runs every libFuzzer target of a fuzz build for a number of seconds on a copy of its corpus.
#   run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1 seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
found=0
for fuzzer in "$build"/tests/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  corpus="$root/tests/fuzz/corpus/${name%_fuzz}"
  work="$build/fuzz-work/$name"
  rm -rf "$work" && mkdir -p "$work"
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "fuzz: $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 3
  found=$((found + 1))
done
echo "fuzz: $found targets run"
