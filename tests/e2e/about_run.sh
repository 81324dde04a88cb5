#!/bin/bash
# The README's run command end to end, as a user without a screen meets it. ./run starts the
# program on a display of its own; the test clicks About, takes a screenshot, closes it with
# Enter and clicks Exit, and the command ends. Then the two other ways out it offers: the command
# it prints for closing the window, and Ctrl+C; each ends the program and the virtual display.
set -euo pipefail
source_dir=$TARVELIN_SOURCE
shots=$TARVELIN_BUILD/shots
mkdir -p "$shots"
log=$TARVELIN_BUILD/e2e-run.log
run_pid=
fail() {
  echo "FAIL: $*" >&2
  cat "$log" >&2
  [ -n "$run_pid" ] && kill -- -"$run_pid" 2>/dev/null
  exit 1
}

# The processes below pid, one a line.
descendants() {
  local children child
  children=$(pgrep -P "$1" || true)
  for child in $children; do
    echo "$child"
    descendants "$child"
  done
}

# Starts ./run in a process group of its own, as a terminal would, and waits for its report;
# sets display, main and program (the program's process).
start_run() {
  setsid env --default-signal=INT -u DISPLAY "$source_dir/run" >"$log" 2>&1 &
  run_pid=$!
  display=
  for _ in $(seq 1200); do  # the first run creates its Wine prefix
    display=$(sed -n 's/^run: Tarvelin is running on DISPLAY=\([^ ]*\).*/\1/p' "$log")
    [ -n "$display" ] && break
    kill -0 "$run_pid" 2>/dev/null || fail "./run ended early"
    sleep 0.1
  done
  [ -n "$display" ] || fail "./run did not report its display"
  export DISPLAY=$display
  main=$(xdotool search --onlyvisible --name '^Tarvelin FREE 1\.12$' | head -n 1)
  [ -n "$main" ] || fail "no main window"
  # This run's program, not another checkout's: a descendant of ./run (which starts it in a
  # session of its own, so that Ctrl+C reaches the script alone).
  program=$(descendants "$run_pid" | grep -xF -f - <(pgrep -f 'Tarvelin\.exe' || true) | head -n 1 || true)
  [ -n "$program" ] || fail "no Tarvelin.exe started by ./run"
}

# ./run, the program and the display have ended within 15 s.
expect_all_ended() {
  local what=$1 ended=0
  for _ in $(seq 150); do
    if ! kill -0 "$run_pid" 2>/dev/null && ! kill -0 "$program" 2>/dev/null && [ ! -e "/tmp/.X11-unix/X${display#:}" ]; then
      ended=1
      break
    fi
    sleep 0.1
  done
  [ $ended -eq 1 ] || fail "$what left something running"
  run_pid=
}

start_run
eval "$(xdotool getwindowgeometry --shell "$main")"
# The window manager frames the window outside its client area.
xdotool mousemove --window "$main" 342 101 click 1  # About
about=
for _ in $(seq 100); do
  about=$(xdotool search --onlyvisible --name '^О программе$' 2>/dev/null | head -n 1) || true
  [ -n "$about" ] && break
  sleep 0.1
done
[ -n "$about" ] || fail "no About window"
# Enter goes where the X focus is.
for _ in $(seq 100); do
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$about" ] && break
  sleep 0.1
done
[ "$(xdotool getwindowfocus 2>/dev/null)" = "$about" ] || fail "the keyboard does not reach the About window"
sleep 0.5  # the window's first paint, for the screenshot: nothing on the display tells when it is done
import -window root "$shots/e2e-about.png"
xdotool key Return
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^О программе$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^О программе$' >/dev/null 2>&1 && fail "Enter did not close the About window"
# The command ends with the program and takes its display with it, maybe before xdotool is done.
xdotool mousemove --window "$main" 470 101 click 1 2>/dev/null || true  # Exit
expect_all_ended "Exit"
wait || fail "./run failed after Exit"

start_run
hint=$(sed -n "s/^run: end it with Ctrl+C here, or by closing its window: //p" "$log")
[ -n "$hint" ] || fail "./run printed no way to end the program"
env -u DISPLAY bash -c "$hint" || fail "the printed command failed: $hint"
expect_all_ended "the printed command ($hint)"

start_run
ctrl_c_pid=$run_pid
kill -INT -- -"$run_pid"  # Ctrl+C reaches the whole foreground group
expect_all_ended "Ctrl+C"
status=0
wait "$ctrl_c_pid" || status=$?
[ $status -eq 130 ] || fail "./run ended by Ctrl+C returned $status, not 130"
! grep -q "X connection" "$log" || fail "the program lost its display before it ended"
echo "ok: screenshot $shots/e2e-about.png; Exit, '$hint' and Ctrl+C each end ./run"
