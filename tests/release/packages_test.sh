#!/bin/bash
# The release packages of this build, made anew: SHA256SUMS matches both files, and the zip holds
# this build's Tarvelin.exe and the README.txt as Notepad reads it (UTF-8 with its mark, CR LF).
#   packages_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
cmake --build "$build" --target package
packages=$build/packages
zip=$packages/Tarvelin-$version-win64.zip
installer=$packages/Tarvelin-$version-win64-install.exe
[ -f "$installer" ] || fail "no installer"
# Per user: the installer's manifest asks for no more rights than the user has.
grep -qa 'level="asInvoker"' "$installer" || fail "the installer asks for administrator rights"
(cd "$packages" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not match the packages"
[ "$(unzip -Z1 "$zip")" = $'Tarvelin.exe\nREADME.txt' ] || fail "the zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -p "$zip" Tarvelin.exe | cmp -s - "$build/Tarvelin.exe" || fail "the zip's Tarvelin.exe is not this build's"
[ "$(unzip -p "$zip" README.txt | head -c 3 | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt lacks its UTF-8 mark"
if unzip -p "$zip" README.txt | grep -q $'[^\r]$'; then fail "a line of README.txt does not end with CR LF"; fi
echo "ok: $(cd "$packages" && ls)"
