#!/bin/bash
# The release packages of this build, made anew: SHA256SUMS matches all three files, the zip holds
# this build's Tarvelin.exe and the README.txt as Notepad reads it (UTF-8 with its mark, CR LF), and
# the MSI's tables say what Windows Installer does with it: per machine into Program Files, the
# shortcut, the entry in the list of installed programs, Russian, and the upgrade of older versions.
#   packages_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd) version=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# The unsigned packages, which the tests after this one install and compare with.
unset TARVELIN_SIGN_PKCS12 TARVELIN_SIGN_KEY TARVELIN_SIGN_CERTS TARVELIN_SIGN_PASSWORD TARVELIN_SIGN_TIMESTAMP
cmake --build "$build" --target package
packages=$build/packages
name=Tarvelin-$version-win64
zip=$packages/$name.zip
installer=$packages/$name-install.exe
msi=$packages/$name.msi
[ -f "$installer" ] || fail "no installer"
# Per user: the installer's manifest asks for no more rights than the user has.
grep -qa 'level="asInvoker"' "$installer" || fail "the installer asks for administrator rights"
[ "$(cut -d' ' -f3 "$packages/SHA256SUMS")" = "$name.zip"$'\n'"$name-install.exe"$'\n'"$name.msi" ] ||
  fail "SHA256SUMS lists: $(cut -d' ' -f3 "$packages/SHA256SUMS" | tr '\n' ' ')"
(cd "$packages" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not match the packages"
[ "$(unzip -Z1 "$zip")" = $'Tarvelin.exe\nREADME.txt' ] || fail "the zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -p "$zip" Tarvelin.exe | cmp -s - "$build/Tarvelin.exe" || fail "the zip's Tarvelin.exe is not this build's"
[ "$(unzip -p "$zip" README.txt | head -c 3 | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt lacks its UTF-8 mark"
if unzip -p "$zip" README.txt | grep -q $'[^\r]$'; then fail "a line of README.txt does not end with CR LF"; fi

# The MSI, table by table as msidump writes them (UTF-8, a row a line, tab between the columns).
dump=$(mktemp -d)
trap 'rm -rf "$dump"' EXIT
# msidump writes the binary columns into the current folder.
(cd "$dump" && msidump -d . -t -s "$msi" >/dev/null) || fail "msidump cannot read the MSI"
msiextract -C "$dump/files" "$msi" >/dev/null || fail "msiextract cannot unpack the MSI"
cmp -s "$dump/files/Tarvelin/Tarvelin.exe" "$build/Tarvelin.exe" || fail "the MSI does not hold this build's Tarvelin.exe"
cmp -s "$dump/_Streams/Icon.tarvelin.ico" "$(dirname "$0")/../../resources/images/tarvelin.ico" ||
  fail "the MSI's icon for the list of installed programs is not the program's"
guid='\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}'
product_code=$(sed -n 's/^ProductCode\t//p' "$dump/Property.idt" | tr -d '\r')
package_code=$(sed -n 's/^9\t//p' "$dump/_SummaryInformation.idt" | tr -d '\r')
[[ "$product_code" =~ ^$guid$ ]] || fail "the product code '$product_code' is no upper-case GUID"
[[ "$package_code" =~ ^$guid$ ]] || fail "the package code '$package_code' is no upper-case GUID"
[ "$product_code" != "$package_code" ] || fail "the product and package codes are the same"
upgrade_code='{7D5F2C1E-8A43-4B96-A0E7-3C91D6B2F845}'  # never changes: a new one would not replace the old
saved=$(date -u -d "@${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$0")" log -1 --format=%ct)}" '+%Y/%m/%d %H:%M:%S')
# Table, then the row expected in it (\t between the columns).
while read -r table row; do
  expected=$(printf '%b' "$row")
  tr -d '\r' <"$dump/$table.idt" | grep -qxF "$expected" || fail "$table has no row '$row': $(tr -d '\r' <"$dump/$table.idt" | tail -n +4 | tr '\n\t' '; ')"
done <<EOF
Property ProductName\tTarvelin FREE
Property Manufacturer\tCorvanix
Property ProductVersion\t$version
Property ProductLanguage\t1049
Property UpgradeCode\t$upgrade_code
Property ALLUSERS\t1
Property ARPPRODUCTICON\ttarvelin.ico
Property ARPURLINFOABOUT\thttp://www.corvanix.example
Property ARPNOMODIFY\t1
Property ARPNOREPAIR\t1
CustomAction SetInstallLocation\t51\tARPINSTALLLOCATION\t[INSTALLFOLDER]\t
Icon tarvelin.ico\tIcon.tarvelin.ico
Directory INSTALLFOLDER\tProgramFiles64Folder\tTarvelin
Component Program\t{B2E8C4A6-1F3D-4E57-9A0B-6D4C8E2F1A93}\tINSTALLFOLDER\t256\t\tTarvelinExe
Shortcut StartMenuShortcut\tProgramMenuFolder\tTARVEL~1|Tarvelin FREE\tProgram\t[INSTALLFOLDER]Tarvelin.exe\t\tПрограмма для генерации паролей\t\t\t\t\tINSTALLFOLDER\t\t\t\t
Upgrade $upgrade_code\t\t$version\t\t513\t\tWIX_UPGRADE_DETECTED
Upgrade $upgrade_code\t$version\t\t\t2\t\tWIX_DOWNGRADE_DETECTED
LaunchCondition NOT WIX_DOWNGRADE_DETECTED\tУже установлена более новая версия Tarvelin FREE. Чтобы установить эту, сначала удалите ту.
_ForceCodepage 1251\t_ForceCodepage
_SummaryInformation 1\t1251
_SummaryInformation 7\tx64;1049
_SummaryInformation 12\t$saved
_SummaryInformation 13\t$saved
EOF
# The summary's texts are in its code page, 1251.
comments=$(sed -n 's/^6\t//p' "$dump/_SummaryInformation.idt" | tr -d '\r' | iconv -f CP1251 -t UTF-8)
[ "$comments" = "Программа для генерации паролей" ] || fail "the MSI's comments read '$comments'"
echo "ok: $(cd "$packages" && ls | tr '\n' ' ')"
