#!/bin/bash
# Builds the release twice from the same sources, in two temporary folders of different names and
# in two time zones, and fails unless Tarvelin.exe, the zip, the installer and the MSI come out
# with the same SHA-256. Only what the release needs is built: the MinGW Release program and its packages.
#   reproducible_test.sh [SOURCE_DIR]
set -euo pipefail
source_dir=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
version=$(sed -n 's/^project(Tarvelin VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
files=(Tarvelin.exe "packages/Tarvelin-$version-win64.zip" "packages/Tarvelin-$version-win64-install.exe"
  "packages/Tarvelin-$version-win64.msi")

# The unsigned packages: a certificate in the environment would sign them.
unset TARVELIN_SIGN_PKCS12 TARVELIN_SIGN_KEY TARVELIN_SIGN_CERTS TARVELIN_SIGN_PASSWORD TARVELIN_SIGN_TIMESTAMP
# Both builds take the file times of the packages from the commit, as a build of a clone does.
SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
work=$(mktemp -d /tmp/tarvelin-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The checked-in files and the new ones not ignored: what the working tree would build.
build() {
  local tree=$1 zone=$2
  mkdir -p "$tree"
  (cd "$source_dir" && git ls-files -z --cached --others --exclude-standard |
    xargs -0 -r sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
    tar --null -T - -cf -) | tar -xf - -C "$tree"
  (cd "$tree" && TZ=$zone cmake --preset mingw -DTARVELIN_TESTS=OFF >/dev/null &&
    TZ=$zone cmake --build --preset mingw --target package -j "$(nproc)" >/dev/null)
}

start=$(date +%s)
build "$work/a" UTC
build "$work/second-build-in-a-longer-folder" Asia/Vladivostok
status=0
for f in "${files[@]}"; do
  first=$(sha256sum <"$work/a/build/mingw/$f" | cut -d' ' -f1)
  second=$(sha256sum <"$work/second-build-in-a-longer-folder/build/mingw/$f" | cut -d' ' -f1)
  size=$(stat -c %s "$work/a/build/mingw/$f")
  if [ "$first" = "$second" ]; then
    echo "same   $first  $size  $(basename "$f")"
  else
    echo "DIFFER $first / $second  $(basename "$f")"
    status=1
  fi
done
echo "two builds in $(($(date +%s) - start)) s"
[ $status -eq 0 ] || echo "FAIL: the two builds differ" >&2
exit $status
