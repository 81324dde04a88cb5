#!/bin/bash
# The real program under Wine: start it, find the window by its caption, click Generate, check the
# clipboard holds a 7-character password drawn from the alphabet, take a screenshot, click Exit
# and check the process has ended.
. "$(dirname "$0")/e2e_lib.sh"

start_program
sleep 1
click_client "$window" 76 101 524 136  # Generate
sleep 1
password=$(xclip -o -selection clipboard 2>/dev/null || true)
[[ "$password" =~ ^[0-9A-Za-z]{7}$ ]] || fail "clipboard holds '$password', not a 7-character password"
import -window root "$shots/e2e-main.png"
click_client "$window" 470 101 524 136  # Exit
wait_exit 15 || fail "the program did not end after Exit"
echo "ok: password $password, screenshot $shots/e2e-main.png"
