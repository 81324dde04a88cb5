#!/bin/bash
# A failure in the handler of any kind of window, timer or worker completion reaches the failure
# report and the program goes on. The test build fails the next handler of a message in an object
# of a kind on request (FaultInjectionHook); each row arms one, makes it run by what a user does,
# reads the report (caption, text, owner, the main window disabled meanwhile), closes it with
# Enter, checks that no second box follows, closes the window the row opened, and checks that
# Generate works.
. "$(dirname "$0")/e2e_lib.sh"

trap 'rm -f "$probe_out"' EXIT

# The main window's client area is 524 x 136, the password-file dialog's 482 x 73, About's
# 500 x 360 (pixels at 96 dpi).
on_main() { move_client "$window" "$1" "$2" 524 136; }
dialog_window() {
  local id
  id=$(wait_window '^Соханение файла паролей$' 10) || fail "no password-file dialog"
  placed_window "$id" dialog >&2
  echo "$id"
}
about_window() {
  local id
  id=$(wait_window '^О программе$' 10) || fail "no About window"
  placed_window "$id" about >&2
  echo "$id"
}

hover_password() { on_main 260 64; }
hover_panel() { on_main 236 101; }
hover_group_caption() { on_main 100 8; }
hover_spin_down() { on_main 508 38; }
hover_banner() { on_main 262 129; }
type_into_alphabet() { on_main 200 32; xdotool click 1 key q; }
wheel_on_length() { on_main 475 32; xdotool click 1 click 4; }
click_spin_up() { on_main 508 27; xdotool click 1; }
# Held for a second: the repeat timer ticks after 400 ms.
hold_spin_up() { on_main 508 27; xdotool mousedown 1 sleep 1 mouseup 1; }
click_about() { on_main 342 101; xdotool click 1; }
start_download() { probe download; }
open_dialog_and_hover() {
  on_main 178 101
  xdotool click 1
  move_client "$(dialog_window)" 240 40 482 73
}
open_about_and_hover() {
  click_about
  move_client "$(about_window)" 250 100 500 360
}
close_dialog() { click_client "$(dialog_window)" 421 51 482 73; }
close_about() { click_client "$(about_window)" 436 326 500 360; }

start_program "$test_exe"
generate_works

# kind, message, what makes its handler run, what closes the window the row opened, the owner.
# A press on a button fails before About opens; not Generate, which the row before has just
# clicked: a second click there soon after makes a double click, no press.
rows=(
  "main       0x0020 hover_password         -            main"
  "dialog     0x0020 open_dialog_and_hover  close_dialog dialog"
  "about      0x0020 open_about_and_hover   close_about  about"
  "panel      0x0200 hover_panel            -            main"
  "group      0x0200 hover_group_caption    -            main"
  "edit       0x0102 type_into_alphabet     -            main"
  "numeric    0x020A wheel_on_length        -            main"
  "column     0x0202 click_spin_up          -            main"
  "column     0x000F hover_spin_down        -            main"
  "button     0x0201 click_about            -            main"
  "image      0x000F click_about            close_about  about"
  "label      0x000F click_about            close_about  about"
  "banner     0x000F hover_banner           -            main"
  "timer      0x0113 hold_spin_up           -            main"
  "completion 0x0000 start_download         -            main"
)
for row in "${rows[@]}"; do
  read -r kind message action after owner <<<"$row"
  echo "--- $kind, message $message: $action"
  xdotool mousemove 0 0  # off the program, so the row's pointer moves reach it afresh
  probe fail "$kind" "$message"
  $action
  close_box fault Tarvelin
  expect_box fault Tarvelin "Injected failure: $kind $message." "$owner" 0
  [ "$after" = - ] || $after
  # A row may have stepped the length before its failure; Generate is checked at 7.
  probe set length 7
  generate_works
done

probe close
wait_exit 15 || fail "the program did not end"
echo "ok: every kind's failure was reported and the program went on"
