#!/bin/bash
# Writes the release packages of a built Tarvelin.exe into a folder: the portable zip, the per-user
# installer, the per-machine MSI and SHA256SUMS for all three. The same sources give the same bytes
# on any machine of the same kind: fixed file times (the commit's, or SOURCE_DATE_EPOCH), modes,
# order, codes and time zone. With a code-signing certificate in the environment (see sign.sh) the
# program, the installer, the uninstaller it writes and the MSI are signed; without, none is.
#   make-packages.sh EXE OUTDIR VERSION SHORT_VERSION ICON
set -euo pipefail
exe=$1 version=$3 short_version=$4 icon=$(realpath -- "$5")
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")

# A certificate named only in part fails here, before anything is built unsigned by mistake. The
# files are named by full paths, as makensis runs the signing of the uninstaller elsewhere.
"$here/sign.sh" --check
for variable in TARVELIN_SIGN_PKCS12 TARVELIN_SIGN_KEY TARVELIN_SIGN_CERTS; do
  [ -z "${!variable:-}" ] || export "$variable=$(realpath -m -- "${!variable}")"
done
signing=${TARVELIN_SIGN_PKCS12:-}${TARVELIN_SIGN_KEY:-}${TARVELIN_SIGN_CERTS:-}

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
[ -z "$signing" ] || "$here/sign.sh" "$stage/Tarvelin.exe"
cp "$icon" "$stage/tarvelin.ico"
# Notepad of every Windows 10 reads UTF-8 with its byte-order mark, and CR LF ends the lines.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "$here/README.txt"; } > "$stage/README.txt"
chmod 644 "$stage/Tarvelin.exe" "$stage/README.txt" "$stage/tarvelin.ico"
touch -d "@$SOURCE_DATE_EPOCH" "$stage/Tarvelin.exe" "$stage/README.txt" "$stage/tarvelin.ico"

# -X leaves out the owner and the extra time fields; the order is the command line's.
rm -f "$out/$name.zip"
(cd "$stage" && zip -X -9 -q "$out/$name.zip" Tarvelin.exe README.txt)

nsis_sign=()
[ -z "$signing" ] || nsis_sign=("-DSIGN=$here/sign.sh")
makensis -V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSHORT_VERSION=$short_version" "${nsis_sign[@]}" \
  "-DEXE=$stage/Tarvelin.exe" "-DICON=$icon" "-DOUTFILE=$out/$name-install.exe" "$here/tarvelin.nsi"
[ -z "$signing" ] || "$here/sign.sh" "$out/$name-install.exe"

# The MSI. Its product and package codes follow from the version and the fixed upgrade code, so
# the same version always has the same codes and every version others.
upgrade_code=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$here/tarvelin.wxs")
read -r product_code package_code < <(python3 -c '
import sys, uuid
upgrade, version = uuid.UUID(sys.argv[1]), sys.argv[2]
print(str(uuid.uuid5(upgrade, "product " + version)).upper(), str(uuid.uuid5(upgrade, "package " + version)).upper())
' "$upgrade_code" "$version")
# wixl and msibuild convert the tables' texts to and from the Windows code page of this language.
export WINDOWS_LANGUAGE=ru
(cd "$stage" && wixl -a x64 -D "Version=$version" -D "ProductCode={$product_code}" -o "$name.msi" "$here/tarvelin.wxs")
# What wixl leaves to chance or cannot write: the database's code page (without it Windows reads
# the Russian texts in whatever code page it runs with), the summary (wixl takes a random package
# code, the build's time and English), and the upgrade from a version that differs only in its
# fourth number, which Windows Installer does not compare: the upgrade row includes the version.
printf '\r\n\r\n1251\t_ForceCodepage\r\n' > "$stage/_ForceCodepage.idt"
saved=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y/%m/%d %H:%M:%S')
{
  printf 'PropertyId\tValue\r\ni2\tl255\r\n_SummaryInformation\tPropertyId\r\n'
  printf '1\t1251\r\n7\tx64;1049\r\n9\t{%s}\r\n12\t%s\r\n13\t%s\r\n' "$package_code" "$saved" "$saved"
  printf '6\t%s\r\n' "$(printf 'Программа для генерации паролей' | iconv -f UTF-8 -t CP1251)"
} > "$stage/_SummaryInformation.idt"
# Older versions up to this one are removed (513: their features carried over, this version
# included); a newer one stops the install (2: only detected, this version excluded).
{
  printf 'UpgradeCode\tVersionMin\tVersionMax\tLanguage\tAttributes\tRemove\tActionProperty\r\n'
  printf 's38\tS20\tS20\tS255\ti4\tS255\ts72\r\n'
  printf 'Upgrade\tUpgradeCode\tVersionMin\tVersionMax\tLanguage\tAttributes\r\n'
  printf '{%s}\t\t%s\t\t513\t\tWIX_UPGRADE_DETECTED\r\n' "$upgrade_code" "$version"
  printf '{%s}\t%s\t\t\t2\t\tWIX_DOWNGRADE_DETECTED\r\n' "$upgrade_code" "$version"
} > "$stage/Upgrade.idt"
(cd "$stage" && msibuild "$name.msi" -i _ForceCodepage.idt _SummaryInformation.idt Upgrade.idt)
mv "$stage/$name.msi" "$out/$name.msi"
[ -z "$signing" ] || "$here/sign.sh" "$out/$name.msi"

touch -d "@$SOURCE_DATE_EPOCH" "$out/$name.zip" "$out/$name-install.exe" "$out/$name.msi"
(cd "$out" && sha256sum "$name.zip" "$name-install.exe" "$name.msi" > SHA256SUMS)
echo "packages in $out${signing:+, signed}:"
(cd "$out" && ls -l "$name.zip" "$name-install.exe" "$name.msi" SHA256SUMS | awk '{print "  " $5 "  " $9}')
