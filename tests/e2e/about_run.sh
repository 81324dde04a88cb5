#!/bin/bash
# The README's run command end to end: ./run starts the program on a display of its own; the test
# clicks About, takes a screenshot, closes it with Enter, clicks Exit, and the command ends.
set -euo pipefail
source_dir=$TARVELIN_SOURCE
shots=$TARVELIN_BUILD/shots
mkdir -p "$shots"
log=$TARVELIN_BUILD/e2e-run.log
env -u DISPLAY "$source_dir/run" >"$log" 2>&1 &
run_pid=$!
fail() {
  echo "FAIL: $*" >&2
  cat "$log" >&2
  kill "$run_pid" 2>/dev/null
  exit 1
}
display=
for _ in $(seq 1200); do  # the first run creates its Wine prefix
  display=$(sed -n 's/^run: Tarvelin is running on DISPLAY=\([^ ]*\).*/\1/p' "$log")
  [ -n "$display" ] && break
  kill -0 "$run_pid" 2>/dev/null || fail "./run ended early"
  sleep 0.1
done
[ -n "$display" ] || fail "./run did not report its display"
export DISPLAY=$display
main=$(xdotool search --name '^Tarvelin FREE 1\.12$' | head -n 1)
[ -n "$main" ] || fail "no main window"
eval "$(xdotool getwindowgeometry --shell "$main")"
border=$(((WIDTH - 524) / 2))
caption=$((HEIGHT - 136 - border))
xdotool mousemove --window "$main" $((342 + border)) $((101 + caption)) click 1  # About
about=
for _ in $(seq 100); do
  about=$(xdotool search --name '^О программе$' 2>/dev/null | head -n 1) || true
  [ -n "$about" ] && break
  sleep 0.1
done
[ -n "$about" ] || fail "no About window"
sleep 1
import -window root "$shots/e2e-about.png"
xdotool key Return
for _ in $(seq 50); do
  xdotool search --name '^О программе$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --name '^О программе$' >/dev/null 2>&1 && fail "Enter did not close the About window"
# The command ends with the program and takes its display with it, maybe before xdotool is done.
xdotool mousemove --window "$main" $((470 + border)) $((101 + caption)) click 1 2>/dev/null || true  # Exit
for _ in $(seq 150); do
  kill -0 "$run_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$run_pid" 2>/dev/null && fail "the program did not end after Exit"
wait "$run_pid" || fail "./run failed"
echo "ok: screenshot $shots/e2e-about.png"
