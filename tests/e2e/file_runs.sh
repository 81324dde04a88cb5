#!/bin/bash
# Password-file runs through the real program (the test build's GenRandomFile request) while the
# alphabet and length fields change under them, the length typed as a user types it (so a run
# also meets the lengths a number passes through on its way in): every round trip to the
# main window (WM_NULL sent by the probe, another process) stays short, the peak memory stays a
# small multiple of the file, and the file reads back as exactly its count of lines of the
# alphabets' characters and the lengths in force, in the code page's bytes or, where the code page
# lacks a character (a Cyrillic alphabet under 1252), in UTF-16 with its mark. The bounds are
# generous, for a loaded machine; bench/responsiveness_bench.sh gives the figures.
. "$(dirname "$0")/e2e_lib.sh"

work=$TARVELIN_BUILD/e2e-file-runs-$$
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work" "$probe_out"' EXIT
latin=1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz
cyrillic=абвгдеёжзий
longest_bound_ms=1500
case ${LC_ALL:-} in
  ru_RU*) code_page=cp1251 ;;
  *) code_page=cp1252 ;;
esac

# The resident memory of the program's process in kB: VmRSS or VmHWM, its peak since the last reset.
memory() { sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$program_pid/status"; }

# run NAME COUNT ALPHABET LENGTH CHANGES LENGTHS ALPHABETS MARK MUST
#   Sets the fields, asks for COUNT passwords and makes CHANGES during the run (the probe's watch
#   items). The file must hold COUNT lines whose lengths are among LENGTHS (blank-separated) and
#   whose characters are among ALPHABETS; MARK: utf16, ansi or either; MUST: a length or a
#   character some line shows, which proves the changes came during the run.
run() {
  local name=$1 count=$2 alphabet=$3 length=$4 changes=$5 lengths=$6 alphabets=$7 mark=$8 must=$9
  local file=$work/$name.txt
  echo "--- $name"
  probe set alphabet "$alphabet" set length "$length"
  local memory_checked=1 before
  echo 5 2>/dev/null >"/proc/$program_pid/clear_refs" || memory_checked=
  before=$(memory VmRSS)
  # shellcheck disable=SC2086  # no changes: no argument
  probe gen-file "$count" "$(winpath "$file")" watch "$(winpath "$file")" 1 $changes
  local longest peak bytes
  longest=$(seen watch.longest_ms)
  bytes=$(stat -c %s "$file")
  peak=$(($(memory VmHWM) - before))
  echo "longest round trip ${longest} ms (at $(seen watch.longest_at_ms) ms), peak memory ${peak} kB beyond the" \
    "start for a file of $bytes bytes, done after $(seen watch.done_ms) ms"
  [ "$longest" -lt "$longest_bound_ms" ] || fail "$name: a round trip took $longest ms"
  if [ -n "$memory_checked" ]; then
    [ "$((peak * 1024))" -lt "$((4 * bytes + 48 * 1024 * 1024))" ] || fail "$name: $peak kB for a file of $bytes bytes"
  else
    echo "note: the peak memory cannot be reset here; not checked"
  fi
  python3 - "$file" "$code_page" "$count" "$lengths" "$alphabets" "$mark" "$must" <<'PYTHON' || fail "$name: the file"
import sys
path, code_page, count, lengths, alphabets, mark, must = sys.argv[1:]
data = open(path, "rb").read()
utf16 = data[:2] == b"\xff\xfe"
if mark != "either" and utf16 != (mark == "utf16"):
    sys.exit(f"the file is {'UTF-16' if utf16 else 'ANSI'}, expected {mark}: {data[:16]!r}")
text = data[2:].decode("utf-16-le") if utf16 else data.decode(code_page)
if not text.endswith("\r\n") and int(count) > 0:
    sys.exit("the last line has no CR LF")
lines = text.split("\r\n")[:-1]
if len(lines) != int(count):
    sys.exit(f"{len(lines)} lines, expected {count}")
allowed_lengths = {int(n) for n in lengths.split()}
allowed = set("".join(alphabets.split()))
for i, line in enumerate(lines):
    if len(line) not in allowed_lengths or not set(line) <= allowed:
        sys.exit(f"line {i} is {line[:40]!r} ({len(line)} characters)")
if must and not any((must.isdigit() and len(line) == int(must)) or (not must.isdigit() and must in line) for line in lines):
    sys.exit(f"no line shows {must!r}: the changes came after the run")
PYTHON
}

start_program "$test_exe"

# name, count, alphabet, length, changes, lengths, alphabets, mark, a sign the changes came in time
run raised 500000 "$latin" 7 "10:length=3000|160:length=7" "7 3 30 300 3000" "$latin" ansi 3000
run typed 500000 "$latin" 7 "10:length=3|20:length=30|30:length=300|40:length=3000|50:length=30000|250:length=7" \
  "7 3 30 300 3000 30000" "$latin" ansi 30000
# An emptied length field repeats the previous password.
cyrillic_mark=utf16
[ "$code_page" = cp1251 ] && cyrillic_mark=ansi
run alphabets 500000 "$latin" 7 "10:alphabet=$cyrillic|30:length=12|60:length=|90:alphabet=Zz|120:length=7" \
  "7 1 12" "$latin $cyrillic" "$cyrillic_mark" й
# The Cyrillic alphabet alone: under the code page 1252 every password was "???????" before.
run cyrillic 2000 "$cyrillic" 7 "" 7 "$cyrillic" "$cyrillic_mark" ""

probe set alphabet "$latin" set length 7
probe close
wait_exit 30 || fail "the program did not end"
echo "ok: round trips under $longest_bound_ms ms and every file whole"
