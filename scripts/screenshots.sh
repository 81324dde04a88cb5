#!/bin/bash
# Takes screenshots of the program's three windows (main window, password-file dialog, About
# window) at 96 and at 144 dpi, and of the main window in high contrast, under Wine on a virtual
# display, into docs/screenshots/. Needs the mingw build with its tests (cmake --preset mingw).
# Uses a Wine prefix of its own under build/.
#   scripts/screenshots.sh [OUTPUT_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/session_lib.sh"  # start_display, make_wine_prefix
out=${1:-$root/docs/screenshots}
exe=$root/build/mingw/Tarvelin.exe
[ -f "$exe" ] || { echo "build first: cmake --preset mingw && cmake --build --preset mingw" >&2; exit 1; }
mkdir -p "$out"
export WINEPREFIX=$root/build/screenshots/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display_pid=
trap 'wineserver -k 2>/dev/null; [ -z "$display_pid" ] || kill $display_pid 2>/dev/null' EXIT
start_display 120 Xvfb -screen 0 1600x1200x24
export DISPLAY=$display
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  make_wine_prefix
  wineserver -w
fi
"$root/scripts/wine-prefix-setup.sh" --no-window-manager

window_of() {  # the X window id of a window named exactly $1, waiting for it
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window named $1" >&2
  return 1
}
window_gone() {  # waits until no window named exactly $1 is shown
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "the window named $1 is still there" >&2
  return 1
}

for dpi in 96 144; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w  # the new setting takes effect with the next server
  wine "$exe" >/dev/null 2>&1 &
  program=$!
  main=$(window_of 'Tarvelin FREE 1\.12')
  # Each shot follows the window's first paint: nothing on the display tells when it is done.
  sleep 1
  import -window "$main" "$out/main-$dpi.png"
  # The keys go to the active window. Shift+Tab from the alphabet field reaches the password-file button, the last in the order.
  xdotool key shift+Tab Return || true
  dialog=$(window_of 'Соханение файла паролей')
  sleep 1
  import -window "$dialog" "$out/file-dialog-$dpi.png"
  xdotool key Tab Tab Tab Return || true  # to "Закрыть" and press it
  window_gone 'Соханение файла паролей'
  xdotool key shift+Tab shift+Tab Return || true  # back from BtnGenFile to BtnAbout
  about=$(window_of 'О программе')
  sleep 1
  import -window "$about" "$out/about-$dpi.png"
  xdotool key Return || true
  window_gone 'О программе'
  xdotool key Tab Return || true  # BtnExit comes after BtnAbout
  wait $program || true
done
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true

# The main window in a dark high-contrast scheme. Wine cannot switch high contrast on, so the
# program's own test of it draws the window so and holds it there for the shot.
test_exe=$root/build/mingw/tests/app/app_win_test.exe
wineserver -k 2>/dev/null || true
TARVELIN_SCREENSHOT_HOLD_MS=3000 wine "$test_exe" --gtest_filter='MainFormTest.HighContrast*' 2>/dev/null |
  while IFS= read -r line; do
    if [ "${line%$'\r'}" = "screenshot now: high contrast switched on" ]; then
      sleep 1  # the repaint in the new colours: nothing on the display tells when it is done
      import -window "$(window_of 'Tarvelin FREE 1\.12')" "$out/main-high-contrast-96.png"
    fi
  done
echo "screenshots in $out"
ls -la "$out"
