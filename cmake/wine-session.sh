#!/bin/bash
# Starts or stops a Wine session that the Windows tests of one build tree share: a display (a
# fresh Xvfb unless TARVELIN_TEST_DISPLAY names one), the prefix (created once) and a persistent
# wineserver, so that each test process does not pay the server's and the prefix's start-up
# again. With --window-manager the display also runs openbox, as a user's desktop does, and Wine
# leaves the frames and the focus of its windows to it; without, Wine draws them itself.
#   wine-session.sh start PREFIX SESSIONFILE [--window-manager]
#   wine-session.sh stop  PREFIX SESSIONFILE
set -u
. "$(dirname "$0")/../scripts/session_lib.sh"  # start_display, start_window_manager, make_wine_prefix
action=$1 prefix=$2 session=$3 window_manager=${4:-}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop() {
  if [ -f "$session" ]; then
    . "$session"
    wineserver -k 2>/dev/null
    [ -n "${TARVELIN_WM_PID:-}" ] && kill "$TARVELIN_WM_PID" 2>/dev/null
    [ -n "${TARVELIN_XVFB_PID:-}" ] && kill "$TARVELIN_XVFB_PID" 2>/dev/null
    rm -f "$session"
  fi
  return 0
}

start() {
  stop
  # Tests get a display of their own, so no window appears on the developer's screen.
  local display=${TARVELIN_TEST_DISPLAY:-} display_pid= wm_pid= wm_ready=1
  if [ -z "$display" ]; then
    start_display 90 Xvfb -screen 0 1280x1024x24 || return 1
  fi
  export DISPLAY=$display
  if [ "$window_manager" = --window-manager ]; then
    start_window_manager || wm_ready=0
  fi
  mkdir -p "$(dirname "$session")"
  {
    echo "export DISPLAY=$display"
    echo "TARVELIN_XVFB_PID=$display_pid"
    echo "TARVELIN_WM_PID=$wm_pid"
    echo "export TARVELIN_WINDOW_MANAGER=${wm_pid:+1}"
  } > "$session"
  # Without its window manager the session is not the one asked for: ended again.
  [ $wm_ready -eq 1 ] || { stop; return 1; }
  wineserver -p </dev/null >/dev/null 2>&1
  make_wine_prefix
  # A test that crashes ends at once, with its backtrace on its output, instead of waiting for
  # a click on Wine's crash dialog until its time-out.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  if [ -n "$wm_pid" ]; then
    "$(dirname "$0")/../scripts/wine-prefix-setup.sh"
  else
    "$(dirname "$0")/../scripts/wine-prefix-setup.sh" --no-window-manager
  fi
  return 0
}

case $action in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop PREFIX SESSIONFILE" >&2; exit 2 ;;
esac
