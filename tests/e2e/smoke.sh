#!/bin/bash
# The real program under Wine: start it, find the window by its caption, click Generate, check the
# clipboard holds a 7-character password drawn from the alphabet, take a screenshot, click Exit
# and check the process has ended. Clicking the banner goes through the real ShellExecuteW: Wine
# hands the link to the browser named in its registry, here a script that writes down what it got.
. "$(dirname "$0")/e2e_lib.sh"

start_program
before=$(clipboard_text)
click_control gen
password=$(clipboard_after "$before")
[[ "$password" =~ ^[0-9A-Za-z]{7}$ ]] || fail "clipboard holds '$password', not a 7-character password"
import -window root "$shots/e2e-main.png"

browser=$TARVELIN_BUILD/e2e-fake-browser.sh opened=$TARVELIN_BUILD/e2e-browser-opened.txt
rm -f "$opened"
printf '#!/bin/sh\necho "$1" >"%s"\n' "$opened" >"$browser"
chmod +x "$browser"
browsers='HKCU\Software\Wine\WineBrowser'
"$TARVELIN_WINE_RUN" reg add "$browsers" /v Browsers /d "$browser" /f >/dev/null 2>&1
click_client "$window" 262 129 524 136  # the banner
for _ in $(seq 100); do [ -s "$opened" ] && break; sleep 0.1; done
"$TARVELIN_WINE_RUN" reg delete "$browsers" /v Browsers /f >/dev/null 2>&1
[ "$(cat "$opened" 2>/dev/null)" = "http://www.corvanix.example/" ] ||
  fail "the banner click opened '$(cat "$opened" 2>/dev/null)', not the site"
click_control exit
wait_exit 15 || fail "the program did not end after Exit"
echo "ok: password $password, screenshot $shots/e2e-main.png"
