#!/bin/bash
# The installer under Wine, in a fresh prefix of its own: the silent install puts the program, the
# Start-menu shortcut and the uninstall entry where they belong, the installed program starts and
# generates a password, and the silent uninstall removes all three and leaves the user's banner
# cache alone.
#   install_test.sh INSTALLER
. "$TARVELIN_SOURCE/tests/e2e/e2e_lib.sh"  # the test display, wait_window, click_control, fail, make_wine_prefix
installer=$1

prefix=$TARVELIN_BUILD/install-test
rm -rf "$prefix"
mkdir -p "$prefix"
# No desktop entries for the shortcut in the real user's home.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
trap 'wineserver -k 2>/dev/null || true' EXIT
TARVELIN_WINE_RUN=wine  # the probe too runs in this prefix
make_wine_prefix || fail "cannot create the Wine prefix"

# Windows paths of the prefix's user and their Unix twins.
read -r local_win appdata_win < <(wine cmd /c echo %LOCALAPPDATA% %APPDATA% | tr -d '\r')
unix() { winepath -u "$1" 2>/dev/null; }
install_win="$local_win\\Programs\\Tarvelin"
install_dir=$(unix "$install_win")
shortcut=$(unix "$appdata_win\\Microsoft\\Windows\\Start Menu\\Programs\\Tarvelin FREE.lnk")
cache=$(unix "$appdata_win\\Corvanix\\Ostrel\\reclam.txt")
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvelin'

wine "$installer" /S || fail "the silent install failed"
cmp -s "$install_dir/Tarvelin.exe" "$exe" || fail "no Tarvelin.exe of this build in $install_dir"
[ -f "$install_dir/uninstall.exe" ] || fail "no uninstaller in $install_dir"
[ -f "$shortcut" ] || fail "no Start-menu shortcut at $shortcut"
strings -el "$shortcut" | grep -qF "$install_win\\Tarvelin.exe" || fail "the shortcut does not lead to $install_win"

entry=$(wine reg query "$key" | tr -d '\r') || fail "no entry $key"
value() { sed -n "s/^ *$1 *REG_[A-Z_]* *//p" <<<"$entry"; }
while IFS='|' read -r name expected; do
  [ "$(value "$name")" = "$expected" ] || fail "$name is '$(value "$name")', not '$expected'"
done <<EOF_VALUES
DisplayName|Tarvelin FREE
DisplayVersion|1.12.0.26
Publisher|Corvanix
DisplayIcon|$install_win\\Tarvelin.exe,0
InstallLocation|$install_win
UninstallString|"$install_win\\uninstall.exe"
QuietUninstallString|"$install_win\\uninstall.exe" /S
EOF_VALUES
size_kib=$(( $(value EstimatedSize) ))
[ "$size_kib" -ge $(( $(stat -c %s "$exe") / 1024 )) ] || fail "EstimatedSize $size_kib KiB is less than the program"

# The installed program, started by its Windows path as the shortcut starts it.
wine "$install_win\\Tarvelin.exe" &
program_pid=$!
window=$(wait_window '^Tarvelin FREE 1\.12$' 30) || fail "the installed program shows no main window within 30 s"
main_ready
before=$(clipboard_text)
click_control gen
password=$(clipboard_after "$before")
[[ "$password" =~ ^[0-9A-Za-z]{7}$ ]] || fail "clipboard holds '$password', not a 7-character password"
click_control exit
wait_exit 15 || fail "the installed program did not end after Exit"

# The banner cache is the user's: the uninstaller leaves it.
mkdir -p "$(dirname "$cache")"
echo "banner" > "$cache"
# The uninstaller runs on from a copy of itself in the temporary folder and returns at once.
wine "$install_win\\uninstall.exe" /S || fail "the silent uninstall failed"
for _ in $(seq 300); do
  [ -e "$install_dir" ] || [ -e "$shortcut" ] || break
  sleep 0.1
done
[ ! -e "$install_dir" ] || fail "$install_dir is still there: $(ls "$install_dir")"
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
if wine reg query "$key" >/dev/null 2>&1; then fail "the entry $key is still there"; fi
[ -f "$cache" ] || fail "the uninstaller removed the banner cache"
echo "ok: installed, password $password, uninstalled"
