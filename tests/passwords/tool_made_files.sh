#!/bin/bash
# Files written by iconv, not by this program, read back with TLineList under Wine in the code
# page they need: UTF-8 with and without a mark, UTF-16 with marks in both byte orders, cp1251
# and cp1252, with CR LF, LF and CR line ends.
#   tool_made_files.sh LINE_LIST_DUMP_EXE
set -euo pipefail
dump=$1
run=${TARVELIN_WINE_RUN:?}
work=$(mktemp -d "${TARVELIN_BUILD:-/tmp}/tool_made_files.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0 passes=0

# check NAME LOCALE FILE EXPECTED: the lines read from FILE must be EXPECTED (UTF-8, LF after each).
check() {
  local name=$1 locale=$2 file=$3 expected=$4
  if ! LC_ALL=$locale "$run" "$dump" "$file" "$work/out" >"$work/log" 2>&1; then
    echo "FAIL $name: $(cat "$work/log")"; failures=$((failures + 1)); return
  fi
  if cmp -s "$work/out" "$expected"; then
    passes=$((passes + 1))
  else
    echo "FAIL $name ($(tr -d '\r' <"$work/log")): got"; od -An -c "$work/out" | head -5
    echo "expected"; od -An -c "$expected" | head -5
    failures=$((failures + 1))
  fi
}

# Line ends of a text with LF after each line: crlf, lf or cr.
ends() {
  case $1 in
    crlf) sed 's/$/\r/' ;;
    lf) cat ;;
    cr) tr '\n' '\r' ;;
  esac
}

cat >"$work/cyrillic.txt" <<'TEXT'
Пароль для входа
 

ёжик в тумане Ё №
tab	inside, €100
TEXT
cat >"$work/latin.txt" <<'TEXT'
Café crème
naïve façade Œuvre
 
Smörgåsbord ß ÿ € ‰
TEXT
printf 'Emoji \xF0\x9F\x98\x80 and \xE4\xB8\xAD\xE6\x96\x87\n\n' >"$work/unicode.txt"

for text in cyrillic latin unicode; do
  src=$work/$text.txt
  for e in crlf lf cr; do
    ends $e <"$src" >"$work/body"
    { printf '\xEF\xBB\xBF'; iconv -f UTF-8 -t UTF-8 "$work/body"; } >"$work/$text.utf8-mark.$e"
    { printf '\xFF\xFE'; iconv -f UTF-8 -t UTF-16LE "$work/body"; } >"$work/$text.utf16le.$e"
    { printf '\xFE\xFF'; iconv -f UTF-8 -t UTF-16BE "$work/body"; } >"$work/$text.utf16be.$e"
    iconv -f UTF-8 -t UTF-16 "$work/body" >"$work/$text.utf16.$e"
    for kind in utf8-mark utf16le utf16be utf16; do
      for locale in en_US.UTF-8 ru_RU.UTF-8; do
        check "$text $kind $e $locale" $locale "$work/$text.$kind.$e" "$src"
      done
    done
  done
done

# Single-byte code pages, read in the locale whose ANSI code page they are.
for e in crlf lf; do
  ends $e <"$work/cyrillic.txt" | iconv -f UTF-8 -t CP1251 >"$work/cyrillic.cp1251.$e"
  check "cyrillic cp1251 $e" ru_RU.UTF-8 "$work/cyrillic.cp1251.$e" "$work/cyrillic.txt"
  ends $e <"$work/latin.txt" | iconv -f UTF-8 -t CP1252 >"$work/latin.cp1252.$e"
  check "latin cp1252 $e" en_US.UTF-8 "$work/latin.cp1252.$e" "$work/latin.txt"
done

# UTF-8 without a mark is ANSI text: each byte a character of the code page, as iconv reads it.
ends crlf <"$work/latin.txt" >"$work/latin.utf8"
iconv -f CP1252 -t UTF-8 "$work/latin.txt" >"$work/latin.utf8-as-cp1252"
check "latin utf8 without mark, cp1252" en_US.UTF-8 "$work/latin.utf8" "$work/latin.utf8-as-cp1252"
ends crlf <"$work/cyrillic.txt" | sed 's/Ё//' >"$work/cyrillic.utf8"
sed 's/Ё//' "$work/cyrillic.txt" | iconv -f CP1251 -t UTF-8 >"$work/cyrillic.utf8-as-cp1251"
check "cyrillic utf8 without mark, cp1251" ru_RU.UTF-8 "$work/cyrillic.utf8" "$work/cyrillic.utf8-as-cp1251"

echo "tool-made files: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
