#!/bin/bash
# Every failure a user can meet, through the real Tarvelin.exe: each shows its message box with
# the exact text, captioned and owned as the user expects, with the main window disabled (or
# not); Enter closes it; the program runs on and Generate works. The count box of GenRandomFile,
# which the dialog cannot reach, and a failed start go through the test build.
. "$(dirname "$0")/e2e_lib.sh"

work=$TARVELIN_BUILD/e2e-failures-$$
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work" "$probe_out"' EXIT
alphabet=1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz
no_alphabet="Не задан набор символов для генерации пароля."

# The password-file command up to its save dialog, with an optional count.
choose_file() {
  local path=$1 count=${2:-}
  click_control file
  local dialog
  dialog=$(wait_window '^Соханение файла паролей$' 10) || fail "no password-file dialog"
  placed_window "$dialog" dialog
  [ -n "$count" ] && probe set count "$count"
  click_control open
  probe save-as "$path"
}

start_program
generate_works
password=$(seen password)

echo "--- Generate with an empty alphabet"
probe set alphabet ""
click_generate
close_box empty Tarvelin
expect_box empty Tarvelin "$no_alphabet" main 0
probe get password
expect_seen password "$password"
probe set alphabet "$alphabet"
generate_works

echo "--- the password file with an empty alphabet: the empty list is saved, then the report"
probe set alphabet ""
choose_file "$(winpath "$work/empty.txt")"
close_box file_empty Tarvelin
expect_box file_empty Tarvelin "$no_alphabet" main 0
[ -f "$work/empty.txt" ] && [ ! -s "$work/empty.txt" ] || fail "no empty file was saved"
probe set alphabet "$alphabet"
generate_works

echo "--- the password file where nothing can be created"
choose_file 'Z:\proc\x'
close_box create Tarvelin
text=$(seen create.text)
[[ "$text" == 'Cannot create file "Z:\proc\x.txt". '?*. ]] || fail "the report reads '$text'"
expect_box create Tarvelin "$text" main 0
generate_works

echo "--- a failure while the program is in the background"
choose_file 'Z:\proc\y' 3000000
probe background 8 &
background=$!
close_box background Tarvelin
expect_box background Tarvelin "$(seen background.text)" app 0
[[ "$(seen background.text)" == 'Cannot create file "Z:\proc\y.txt". '* ]] || fail "the report reads '$(seen background.text)'"
wait "$background" || true
# The activation comes back to the main window after the background window's time.
for _ in $(seq 10); do
  probe state
  [ "$(seen main_active)" = 1 ] && break
  sleep 0.3
done
expect_seen main_enabled 1
expect_seen main_active 1
probe key tab state
expect_seen focus alphabet
probe key shift-tab state
expect_seen focus file
probe key left state
expect_seen focus exit
generate_works

click_control exit
wait_exit 15 || fail "the program did not end after Exit"

echo "--- GenRandomFile with a count of 0 or less (test build)"
start_program "$test_exe"
for count in 0 -1; do
  probe gen-file "$count" "$(winpath "$work/never.txt")"
  close_box "count$count" "Количество паролей"
  expect_box "count$count" "Количество паролей" "Указано неверное количество паролей..." app 1
done
[ ! -e "$work/never.txt" ] || fail "a file was written for an invalid count"
generate_works
probe close
wait_exit 15 || fail "the test build did not end"

echo "--- a failure while the program starts (test build): reported, then the program ends"
TARVELIN_TEST_START_FAILURE=1 "$TARVELIN_WINE_RUN" "$test_exe" &
program_pid=$!
# No main window: the probe finds the box by the application's window, and closing the box
# ends the program, so its end shows that the box is gone.
if [ -n "${TARVELIN_WINDOW_MANAGER:-}" ]; then
  PROBE_OPTIONS=--without-main probe box-stays start 30
  box=$(wait_window '^Tarvelin$' 5) || fail "no box window titled Tarvelin on the display"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key Return
else
  PROBE_OPTIONS=--without-main probe box start 30
fi
expect_seen start.caption Tarvelin
expect_seen start.text "The test build refuses to start."
expect_seen start.owner app
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" = 1 ] || fail "the program ended with $status after a failed start"
echo "ok: every failure was reported and the program carried on"
