# Helpers of the end-to-end tests: the real Tarvelin.exe under Wine on the test display, found by
# its caption and driven with xdotool and the probe (ui_probe.exe). Sourced by the test scripts.
set -euo pipefail
. "$TARVELIN_WINE_SESSION"  # DISPLAY of the test session, TARVELIN_WINDOW_MANAGER
. "$TARVELIN_SOURCE/scripts/session_lib.sh"  # make_wine_prefix, for the tests with a prefix of their own
export DISPLAY
shots=$TARVELIN_BUILD/shots
mkdir -p "$shots"
exe=$TARVELIN_BUILD/Tarvelin.exe
test_exe=$TARVELIN_BUILD/Tarvelin-test.exe
probe_exe=$TARVELIN_BUILD/tests/e2e/ui_probe.exe
program_pid=
window=

fail() {
  echo "FAIL: $*" >&2
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  exit 1
}

# Starts the program (or the executable given) and waits for its main window; sets window.
start_program() {
  "$TARVELIN_WINE_RUN" "${1:-$exe}" &
  program_pid=$!
  window=$(wait_window '^Tarvelin FREE 1\.12$' 30) || fail "no main window within 30 s"
  main_ready
}

# Mapped is not yet shown: waits up to 10 s until the program takes the main window (window) for
# its active one, and the window manager, if any, too; then until Wine takes it to stand where the
# display shows it. Clicks and keys reach it then.
main_ready() {
  local end=$((SECONDS + 10))
  until probe state && [ "$(seen main_active)" = 1 ] &&
    { [ -z "${TARVELIN_WINDOW_MANAGER:-}" ] || [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]; }; do
    [ $SECONDS -lt $end ] || fail "the main window did not become active within 10 s"
    sleep 0.2
  done
  placed_window "$window" main
}

# Prints the id of the first window whose name matches, waiting up to the given seconds.
wait_window() {
  local pattern=$1 seconds=$2 id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Moves the pointer to a point of a window's client area, in pixels at 96 dpi. Without a window
# manager Wine draws the frame inside its X window: the client area starts after the border and
# caption.
move_client() {
  local id=$1 x=$2 y=$3 client_width=$4 client_height=$5 width height border caption
  eval "$(xdotool getwindowgeometry --shell "$id")"
  width=$WIDTH height=$HEIGHT
  border=$(((width - client_width) / 2))
  caption=$((height - client_height - border))
  xdotool mousemove --window "$id" $((x + border)) $((y + caption))
}
# Clicks there.
click_client() {
  move_client "$@"
  xdotool click 1
}
# Clicks the centre of the program's control that the probe names so (gen, about, exit, file,
# open, close), where the program takes it to stand.
click_control() {
  local x y
  probe where "$1"
  IFS=, read -r x y <<<"$(seen "$1.center")"
  xdotool mousemove "$x" "$y" click 1
}

# Waits until Wine takes a window just shown (the X window id, NAME as the probe's state names it)
# to stand where the X server shows it. Under a window manager Wine now and then takes a freshly
# shown dialog to stand at 0,0 while the display shows it where the program placed it, and hands
# clicks on it to the window it believes is under the pointer; moving the window to where it is
# shown, as a user may drag it, makes Wine take its place again.
placed_window() {
  local id=$1 name=$2 left top
  for _ in $(seq 20); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    probe state
    IFS=, read -r left top _ <<<"$(seen "$name.rect")"
    # Wine's rectangle holds a frame around the X window's client area, if any.
    if [ -n "$left" ] && [ $((X - left)) -ge 0 ] && [ $((X - left)) -le 16 ] && [ $((Y - top)) -ge 0 ] &&
      [ $((Y - top)) -le 64 ]; then
      return 0
    fi
    echo "note: Wine takes the $name window to stand at $left,$top, the display shows it at $X,$Y: moved there"
    xdotool windowmove "$id" "$X" "$Y"
    sleep 0.2
  done
  fail "Wine does not take the $name window to stand where it is shown"
}

# Waits up to the given seconds until the X focus is on the window (its id).
focused() {
  local id=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && return 0
    sleep 0.1
  done
  return 1
}

# The clipboard's text, empty when it holds none.
clipboard_text() { xclip -o -selection clipboard 2>/dev/null || true; }
# Waits up to 10 s until the clipboard holds a text other than BEFORE; prints what it holds then.
clipboard_after() {
  local before=$1 text=
  for _ in $(seq 100); do
    text=$(clipboard_text)
    [ -n "$text" ] && [ "$text" != "$before" ] && break
    sleep 0.1
  done
  echo "$text"
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

# A path of the Linux side as the program sees it: Z: and backslashes.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# The probe: runs its steps against the running program and appends what it saw to $probe_out;
# PROBE_OPTIONS go before the steps.
probe_out=$TARVELIN_BUILD/e2e-probe-$$.txt
probe() {
  # shellcheck disable=SC2086  # PROBE_OPTIONS: words of their own
  "$TARVELIN_WINE_RUN" "$probe_exe" --out "Z:$probe_out" ${PROBE_OPTIONS:-} "$@" || fail "probe $*"
}
# The last value the probe reported for a key.
seen() { sed -n "s/^$1=//p" "$probe_out" | tail -n 1; }
expect_seen() {
  local key=$1 want=$2 got
  got=$(seen "$key")
  [ "$got" = "$want" ] || fail "$key is '$got', expected '$want'"
}

# Reads the message box that is open (or opens within 30 s) as NAME and closes it with Enter:
# typed on the keyboard where a window manager gives the box the focus, else sent to the box.
close_box() {
  local name=$1 title=$2
  if [ -n "${TARVELIN_WINDOW_MANAGER:-}" ]; then
    probe box-stays "$name" 30
    local box
    box=$(wait_window "^$title\$" 5) || fail "no box window titled $title on the display"
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    xdotool key Return
    probe no-box 1
    echo "$name.closed=1" >>"$probe_out"
  else
    probe box "$name" 30
  fi
  expect_seen "$name.closed" 1
}
# The box just read: caption, text, owner, and whether the main window was enabled meanwhile.
expect_box() {
  local name=$1 caption=$2 text=$3 owner=$4 main_enabled=$5
  expect_seen "$name.caption" "$caption"
  expect_seen "$name.text" "$text"
  expect_seen "$name.owner" "$owner"
  expect_seen "$name.main_enabled" "$main_enabled"
}

# Generate draws a 7-character password from the default alphabet into the password field.
click_generate() { click_control gen; }
generate_works() {
  local before
  probe get password
  before=$(seen password)
  click_generate
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    probe get password
    [ "$(seen password)" != "$before" ] && break
    sleep 0.3
  done
  [[ "$(seen password)" =~ ^[0-9A-Za-z]{7}$ ]] && [ "$(seen password)" != "$before" ] ||
    fail "Generate gave '$(seen password)' after '$before'"
}
