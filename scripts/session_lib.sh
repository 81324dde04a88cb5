# The display and the Wine prefix of a test session: an X server on a free display, the window
# manager on it, a Wine prefix. Sourced by ./run, by the scripts and tests that make their own
# session, and by the end-to-end tests' e2e_lib.sh.

# Starts an X server (the command and its arguments, e.g. Xvfb -screen 0 1280x1024x24) on the
# first free display from FIRST and waits up to 10 s until it answers a client (its socket comes
# before that); sets display (:N) and display_pid. Where another server takes the display
# meanwhile, ours ends and the next is tried, 10 at most.
start_display() {
  local n=$1
  shift
  for _ in $(seq 10); do
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    "$@" :$n -nolisten tcp -ac >/dev/null 2>&1 &
    display_pid=$!
    for _ in $(seq 200); do
      kill -0 "$display_pid" 2>/dev/null || break
      if [ -e /tmp/.X11-unix/X$n ] && xdpyinfo -display :$n >/dev/null 2>&1; then
        display=:$n
        return 0
      fi
      sleep 0.05
    done
    if kill -0 "$display_pid" 2>/dev/null; then
      kill "$display_pid" 2>/dev/null
      echo "$* did not answer on the display :$n within 10 s" >&2
      return 1
    fi
    n=$((n + 1))
  done
  echo "$* ended at once on 10 displays, the last :$((n - 1))" >&2
  return 1
}

# Starts openbox on DISPLAY (after the words given, e.g. setsid) and waits up to 30 s until it
# manages the display; sets wm_pid. An openbox that ends before it manages the display is started
# once more (now and then one ends at once on a display just made); what it said is shown when it
# does not come up.
start_window_manager() {
  local wm_log
  wm_log=$(mktemp)
  for attempt in 1 2; do
    "$@" openbox --sm-disable </dev/null >"$wm_log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 300); do
      if wmctrl -m >/dev/null 2>&1; then
        rm -f "$wm_log"
        return 0
      fi
      kill -0 "$wm_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$wm_pid" 2>/dev/null && break
  done
  echo "openbox does not manage the display $DISPLAY (attempt $attempt); it said:" >&2
  sed 's/^/  /' "$wm_log" >&2
  rm -f "$wm_log"
  return 1
}

# Creates the Wine prefix WINEPREFIX unless it holds one already (its system.reg).
make_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  wine wineboot -i </dev/null >/dev/null 2>&1 || { echo "cannot create the Wine prefix $WINEPREFIX" >&2; return 1; }
}
