#!/bin/bash
# Writes the release packages of a built Tarvelin.exe into a folder: the portable zip, the per-user
# installer and SHA256SUMS for both. The same sources give the same bytes on any machine of the
# same kind: fixed file times (the commit's, or SOURCE_DATE_EPOCH), modes, order and time zone.
#   make-packages.sh EXE OUTDIR VERSION SHORT_VERSION ICON
set -euo pipefail
exe=$1 version=$3 short_version=$4 icon=$5
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  # The commit's time when the sources are a git checkout of their own, else a fixed one.
  if [ "$(git -C "$source_dir" rev-parse --show-toplevel 2>/dev/null)" = "$source_dir" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct)
  else
    SOURCE_DATE_EPOCH=315532800  # 1980-01-01, the earliest time a zip holds
  fi
fi
export TZ=UTC LC_ALL=C.UTF-8
unset ZIPOPT ZIP
umask 022

name=Tarvelin-$version-win64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/Tarvelin.exe"
# Notepad of every Windows 10 reads UTF-8 with its byte-order mark, and CR LF ends the lines.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "$here/README.txt"; } > "$stage/README.txt"
chmod 644 "$stage/Tarvelin.exe" "$stage/README.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$stage/Tarvelin.exe" "$stage/README.txt"

# -X leaves out the owner and the extra time fields; the order is the command line's.
rm -f "$out/$name.zip"
(cd "$stage" && zip -X -9 -q "$out/$name.zip" Tarvelin.exe README.txt)

makensis -V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSHORT_VERSION=$short_version" \
  "-DEXE=$stage/Tarvelin.exe" "-DICON=$icon" "-DOUTFILE=$out/$name-install.exe" "$here/tarvelin.nsi"
touch -d "@$SOURCE_DATE_EPOCH" "$out/$name.zip" "$out/$name-install.exe"

(cd "$out" && sha256sum "$name.zip" "$name-install.exe" > SHA256SUMS)
echo "packages in $out:"
(cd "$out" && ls -l "$name.zip" "$name-install.exe" SHA256SUMS | awk '{print "  " $5 "  " $9}')
