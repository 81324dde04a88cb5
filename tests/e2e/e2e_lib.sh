# Helpers of the end-to-end tests: the real Tarvelin.exe under Wine on the test display, found by
# its caption and driven with xdotool. Sourced by the test scripts.
set -euo pipefail
. "$TARVELIN_WINE_SESSION"  # DISPLAY of the test session
export DISPLAY
shots=$TARVELIN_BUILD/shots
mkdir -p "$shots"
exe=$TARVELIN_BUILD/Tarvelin.exe
program_pid=

fail() {
  echo "FAIL: $*" >&2
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  exit 1
}

# Starts the program and waits for its main window; sets window.
start_program() {
  "$TARVELIN_WINE_RUN" "$exe" &
  program_pid=$!
  window=$(wait_window '^Tarvelin FREE 1\.12$' 30) || fail "no main window within 30 s"
}

# Prints the id of the first window whose name matches, waiting up to the given seconds.
wait_window() {
  local pattern=$1 seconds=$2 id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --name "$pattern" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Clicks at a point of a window's client area, in pixels at 96 dpi. Wine draws the frame itself:
# the client area starts after the left border and the caption.
click_client() {
  local id=$1 x=$2 y=$3 client_width=$4 client_height=$5 width height border caption
  eval "$(xdotool getwindowgeometry --shell "$id")"
  width=$WIDTH height=$HEIGHT
  border=$(((width - client_width) / 2))
  caption=$((height - client_height - border))
  xdotool mousemove --window "$id" $((x + border)) $((y + caption)) click 1
}

# Waits up to the given seconds for the program's process to end.
wait_exit() {
  local seconds=$1
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$program_pid" 2>/dev/null || { program_pid=; return 0; }
    sleep 0.1
  done
  return 1
}
