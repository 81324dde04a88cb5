#!/bin/bash
# The keyboard comes back to the main window after every modal step a user takes, as the window
# manager sees it: after a new password file, a cancelled dialog, About, and an existing file
# confirmed in the overwrite prompt. After each, the X focus is on the main window and a typed
# Tab reaches it (the focus moves to the next control). Needs a window manager: without one no
# Wine window gets the keyboard anyway.
. "$(dirname "$0")/e2e_lib.sh"

work=$TARVELIN_BUILD/e2e-focus-$$
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work" "$probe_out"' EXIT

# The password-file dialog up to the save dialog, which gets path.
save_as() {
  click_control file
  local dialog
  dialog=$(wait_window '^Соханение файла паролей$' 10) || fail "no password-file dialog"
  placed_window "$dialog" dialog  # a click may miss the button before
  click_control open
  probe save-as "$1"
}

new_file() { save_as "$(winpath "$work/new.txt")"; }
overwrite() {
  echo old >"$work/old.txt"
  save_as "$(winpath "$work/old.txt")"
  # The prompt takes the focus from the save dialog, whose caption it may share: it is the
  # program's active window then. "y" answers Yes.
  wait_window '^(Error|Save As|Сохранить как)$' 10 >/dev/null || fail "no overwrite prompt"
  for _ in $(seq 20); do
    probe state
    [ "$(seen active)" = box ] && break
    sleep 0.3
  done
  [ "$(seen active)" = box ] || fail "the overwrite prompt is not the active window but $(seen active)"
  xdotool key y
}
cancel() {
  click_control file
  local dialog
  dialog=$(wait_window '^Соханение файла паролей$' 10) || fail "no password-file dialog"
  placed_window "$dialog" dialog
  click_control close
}
about() {
  click_control about
  local about
  about=$(wait_window '^О программе$' 10) || fail "no About window"
  focused "$about" 10 || fail "the keyboard does not reach the About window"
  xdotool key Return
}

# Waits until the X focus is on the main window, then types Tab and sees the focus move.
expect_keyboard_back() {
  local name=$1
  focused "$window" 5 ||
    fail "$name: the keyboard is on '$(xdotool getwindowfocus getwindowname 2>/dev/null || true)', not on the main window"
  probe state
  local before after
  before=$(seen focus)
  xdotool key Tab
  for _ in $(seq 10); do
    probe state
    after=$(seen focus)
    [ "$after" != "$before" ] && break
    sleep 0.2
  done
  [ "$after" != "$before" ] || fail "$name: a typed Tab did not move the focus from $before"
  echo "ok: $name: the keyboard is back ($before -> $after)"
}

start_program
for step in new_file cancel about overwrite; do
  "$step"
  expect_keyboard_back "$step"
done
[ "$(wc -l <"$work/old.txt")" = 100 ] || fail "the confirmed file was not replaced"
probe close
wait_exit 15 || fail "the program did not end"
