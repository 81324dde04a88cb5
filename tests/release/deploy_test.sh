#!/bin/bash
# The MSI and the signed packages under Wine, in a fresh prefix of their own, a row of the table a
# package: a package of an older version number (holding another program) is installed first where
# the row says so; then the package installs silently over it and replaces it, the installed
# program starts and generates a password, the shortcut and the single entry in the list of
# installed programs are there, a signed package's program and uninstaller are signed, an MSI of
# a lower version no longer installs over it, and the silent uninstall removes everything but
# the user's banner cache.
#   deploy_test.sh VERSION   (after the tests release.packages and release.signing)
. "$TARVELIN_SOURCE/tests/e2e/e2e_lib.sh"  # the test display, wait_window, click_control, fail, make_wine_prefix
version=$1
name=Tarvelin-$version-win64
# The upgrade is from the build before this one: Windows Installer compares the first three numbers
# of a version only. A downgrade from this version to the minor version before it is refused.
older_version=${version%.*}.$((${version##*.} - 1))
IFS=. read -r major minor patch build <<<"$version"
lower_version=$major.$((minor - 1)).$patch.$build
signed=$TARVELIN_BUILD/signing-test

prefix=$TARVELIN_BUILD/deploy-test
rm -rf "$prefix"
mkdir -p "$prefix"
# Older releases, made from this build's test program under those version numbers.
for v in "$older_version" "$lower_version"; do
  "$TARVELIN_SOURCE/packaging/make-packages.sh" "$test_exe" "$prefix/$v" "$v" "${v%.*.*}" \
    "$TARVELIN_SOURCE/resources/images/tarvelin.ico" >/dev/null || fail "cannot make the packages of $v"
done
older=$prefix/$older_version/Tarvelin-$older_version-win64
lower_msi=$prefix/$lower_version/Tarvelin-$lower_version-win64.msi

# No desktop entries for the shortcuts in the real user's home.
export WINEPREFIX=$prefix/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
trap 'wineserver -k 2>/dev/null || true' EXIT
TARVELIN_WINE_RUN=wine  # the probe too runs in this prefix
make_wine_prefix || fail "cannot create the Wine prefix"
read -r local_win appdata_win programdata_win < <(wine cmd /c echo %LOCALAPPDATA% %APPDATA% %ProgramData% | tr -d '\r')
unix() { winepath -u "$1" 2>/dev/null; }
cache=$(unix "$appdata_win\\Corvanix\\Ostrel\\reclam.txt")
uninstall_keys=(HKLM HKCU)
uninstall_keys=("${uninstall_keys[@]/%/\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall}")
# The entries named Tarvelin FREE in the list of installed programs, a key a line.
entries() {
  local key
  for key in "${uninstall_keys[@]}"; do
    { wine reg query "$key" /s 2>/dev/null || true; } | tr -d '\r' |
      awk '/^HKEY/ {k = $0} /^ +DisplayName +REG_SZ +Tarvelin FREE$/ {print k}'
  done
}
# Whether the list holds COUNT entries, asked again for up to 10 s: Wine's registry queries and the
# installer's last writes may reach the list a moment after the installer returns.
entry_count_is() {
  for _ in $(seq 100); do
    [ "$(entries | wc -l)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
verify() {
  osslsigncode verify -CAfile "$signed/cert.pem" -in "$1" >"$prefix/verify.log" 2>&1 ||
    fail "$1 does not verify: $(cat "$prefix/verify.log")"
}

# install KIND PACKAGE: installs silently.
install() {
  case $1 in
    msi) wine msiexec /i "$(winepath -w "$2")" /qn ;;
    nsis) wine "$2" /S ;;
  esac
}

while read -r kind package older_package is_signed; do
  package=${package/\$signed/$signed} package=${package/\$packages/$TARVELIN_BUILD/packages}
  older_package=${older_package/\$older/$older}
  case $kind in
    msi)
      install_win="C:\\Program Files\\Tarvelin"
      key_root=HKEY_LOCAL_MACHINE
      # Per machine: Windows puts the shortcut into the Start menu of all users; Wine 8 puts what
      # ProgramMenuFolder names into the installing user's.
      shortcuts=("$programdata_win\\Microsoft\\Windows\\Start Menu\\Programs\\Tarvelin FREE.lnk"
        "$appdata_win\\Microsoft\\Windows\\Start Menu\\Programs\\Tarvelin FREE.lnk")
      ;;
    nsis)
      install_win="$local_win\\Programs\\Tarvelin"
      key_root=HKEY_CURRENT_USER
      shortcuts=("$appdata_win\\Microsoft\\Windows\\Start Menu\\Programs\\Tarvelin FREE.lnk")
      ;;
  esac
  install_dir=$(unix "$install_win")
  row="$(basename "$package") ($is_signed)"

  if [ "$older_package" != - ]; then
    install "$kind" "$older_package" || fail "$row: the older package did not install"
    entry_count_is 1 || fail "$row: the older package made $(entries | wc -l) entries"
    if [ "$kind" = nsis ]; then
      # Earlier releases named the shortcut Tarvelin.lnk.
      cp "$(unix "${shortcuts[0]}")" "$(unix "${shortcuts[0]%\\*}\\Tarvelin.lnk")"
    fi
  fi
  install "$kind" "$package" || fail "$row: the silent install failed"
  if [ "$is_signed" = signed ]; then
    verify "$install_dir/Tarvelin.exe"
    osslsigncode remove-signature -in "$install_dir/Tarvelin.exe" -out "$prefix/stripped.exe" >/dev/null
    cmp -s "$prefix/stripped.exe" "$exe" || fail "$row: the installed Tarvelin.exe without its signature is not this build's"
    rm -f "$prefix/stripped.exe"
    [ "$kind" != nsis ] || verify "$install_dir/uninstall.exe"
  else
    cmp -s "$install_dir/Tarvelin.exe" "$exe" || fail "$row: no Tarvelin.exe of this build in $install_dir"
  fi
  shortcut=
  for s in "${shortcuts[@]}"; do
    if [ -f "$(unix "$s")" ]; then shortcut=$(unix "$s"); fi
  done
  [ -n "$shortcut" ] || fail "$row: no shortcut Tarvelin FREE.lnk in the Start menu"
  # The target's path, in UTF-16 or in the ANSI code page as the shell link holds it.
  { strings -el "$shortcut"; strings "$shortcut"; } | grep -qxF "$install_win\\Tarvelin.exe" || fail "$row: the shortcut does not lead to $install_win"
  [ ! -e "$(dirname "$shortcut")/Tarvelin.lnk" ] || fail "$row: the shortcut of the older release is still there"

  # One entry, of this version: the older one is gone.
  entry_count_is 1 || fail "$row: $(entries | wc -l) entries in the list of installed programs: $(entries)"
  key=$(entries)
  [[ "$key" == "$key_root"\\* ]] || fail "$row: the entry is $key, not under $key_root"
  value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
  while IFS='|' read -r value_name expected; do
    [ "$(value "$value_name")" = "$expected" ] || fail "$row: $value_name is '$(value "$value_name")', not '$expected'"
  done <<EOF_VALUES
DisplayVersion|$version
Publisher|Corvanix
URLInfoAbout|http://www.corvanix.example
NoModify|0x1
NoRepair|0x1
EOF_VALUES
  location=$(value InstallLocation)
  [ "${location%\\}" = "$install_win" ] || fail "$row: InstallLocation is '$location', not $install_win"

  # The installed program, started by its Windows path as the shortcut starts it.
  wine "$install_win\\Tarvelin.exe" &
  program_pid=$!
  window=$(wait_window '^Tarvelin FREE 1\.12$' 30) || fail "$row: the installed program shows no main window within 30 s"
  main_ready
  before=$(clipboard_text)
  click_control gen
  password=$(clipboard_after "$before")
  [[ "$password" =~ ^[0-9A-Za-z]{7}$ ]] || fail "$row: clipboard holds '$password', not a 7-character password"
  click_control exit
  wait_exit 15 || fail "$row: the installed program did not end after Exit"

  if [ "$kind" = msi ] && [ "$older_package" != - ]; then
    # A downgrade is refused and leaves the newer version as it was.
    if install msi "$lower_msi" 2>/dev/null; then fail "$row: the MSI of $lower_version installed over $version"; fi
    [ "$(entries)" = "$key" ] && [ "$(value DisplayVersion)" = "$version" ] || fail "$row: the MSI of $lower_version changed the entry"
    cmp -s "$install_dir/Tarvelin.exe" "$exe" || fail "$row: the MSI of $lower_version replaced the program"
  fi

  # The banner cache is the user's: the uninstaller leaves it.
  mkdir -p "$(dirname "$cache")"
  echo "banner" >"$cache"
  case $kind in
    msi) wine msiexec /x "$(winepath -w "$package")" /qn || fail "$row: the silent uninstall failed" ;;
    # The uninstaller runs on from a copy of itself in the temporary folder and returns at once.
    nsis) wine "$install_win\\uninstall.exe" /S || fail "$row: the silent uninstall failed" ;;
  esac
  for _ in $(seq 300); do
    [ -e "$install_dir" ] || [ -e "$shortcut" ] || [ -n "$(entries)" ] || break
    sleep 0.1
  done
  [ ! -e "$install_dir" ] || fail "$row: $install_dir is still there: $(ls "$install_dir")"
  [ ! -e "$shortcut" ] || fail "$row: the shortcut is still there"
  [ -z "$(entries)" ] || fail "$row: the entry $(entries) is still there"
  [ -f "$cache" ] || fail "$row: the uninstall removed the banner cache"
  over=
  [ "$older_package" = - ] || over="installed over $(basename "$older_package"), "
  echo "ok: $row: ${over}password $password, uninstalled"
done <<EOF
msi \$packages/$name.msi \$older.msi unsigned
msi \$signed/pkcs12/$name.msi - signed
nsis \$signed/pem/$name-install.exe \$older-install.exe signed
EOF
