#!/bin/bash
# The About window's placement on a desktop of two monitors side by side: a nested X server with
# two Xinerama heads (1024x768 at 0,0 and 800x600 at 1024,0) over a private Xvfb, and a Wine
# prefix of its own in the build tree (monitors are fixed per prefix session), created once.
set -eu
: "${TARVELIN_BUILD:?}" "${TARVELIN_SOURCE:?}"
. "$TARVELIN_SOURCE/scripts/session_lib.sh"  # start_display, make_wine_prefix
command -v Xephyr >/dev/null || { echo "two_monitors: Xephyr is missing (package xserver-xephyr)" >&2; exit 1; }

export WINEPREFIX=$TARVELIN_BUILD/wineprefix-two-monitors WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
host_pid= nested_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$nested_pid" ] && kill "$nested_pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
start_display 120 Xvfb -screen 0 1900x800x24
host_pid=$display_pid host=$display
# Without RandR, Wine takes the monitors from Xinerama.
DISPLAY=$host start_display $((${host#:} + 1)) Xephyr +xinerama -screen 1024x768 -screen 800x600 -extension RANDR
nested_pid=$display_pid
export DISPLAY=$display
make_wine_prefix
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
TARVELIN_EXPECT_MONITORS=2 wine "$TARVELIN_BUILD/tests/about/about_win_test.exe" --gtest_filter='*Centred*'
