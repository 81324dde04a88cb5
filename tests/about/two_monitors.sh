#!/bin/bash
# The About window's placement on a desktop of two monitors side by side: a nested X server with
# two Xinerama heads (1024x768 at 0,0 and 800x600 at 1024,0) over a private Xvfb, and a Wine
# prefix of its own in the build tree (monitors are fixed per prefix session), created once.
set -eu
: "${TARVELIN_BUILD:?}"
command -v Xephyr >/dev/null || { echo "two_monitors: Xephyr is missing (package xserver-xephyr)" >&2; exit 1; }

free_display() {
  local n=$1
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  echo $n
}
wait_display() {
  for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$1 ] && return 0; sleep 0.05; done
  echo "two_monitors: display :$1 did not start" >&2
  return 1
}

export WINEPREFIX=$TARVELIN_BUILD/wineprefix-two-monitors WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
host=$(free_display 120)
Xvfb :$host -screen 0 1900x800x24 -nolisten tcp -ac >/dev/null 2>&1 &
host_pid=$!
nested= nested_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$nested_pid" ] && kill "$nested_pid" 2>/dev/null
  kill "$host_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
wait_display "$host"
nested=$(free_display $((host + 1)))
# Without RandR, Wine takes the monitors from Xinerama.
DISPLAY=:$host Xephyr :$nested +xinerama -screen 1024x768 -screen 800x600 -extension RANDR -nolisten tcp -ac \
  >/dev/null 2>&1 &
nested_pid=$!
wait_display "$nested"
export DISPLAY=:$nested
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot -i </dev/null >/dev/null 2>&1
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
TARVELIN_EXPECT_MONITORS=2 wine "$TARVELIN_BUILD/tests/about/about_win_test.exe" --gtest_filter='*Centred*'
