#!/bin/bash
# DLL planting: a bcrypt.dll beside Tarvelin.exe, as a download lands beside the program in the
# Downloads folder, is never loaded, neither at start-up nor when Generate takes the system's
# generator; the password comes from the system. Wine, unlike Windows, prefers its own bcrypt to a
# DLL in the program's folder, so the program's copy is told to prefer the one beside it.
#   planted_dll_test.sh PLANTED_DLL
. "$TARVELIN_SOURCE/tests/e2e/e2e_lib.sh"  # the test display, start_program, click_control, fail
planted=$1

folder=$TARVELIN_BUILD/planted-dll
rm -rf "$folder"
mkdir -p "$folder"
cp "$exe" "$folder/Tarvelin-planted.exe"
cp "$planted" "$folder/bcrypt.dll"
"$TARVELIN_WINE_RUN" reg add 'HKCU\Software\Wine\AppDefaults\Tarvelin-planted.exe\DllOverrides' \
  /v bcrypt /d native,builtin /f >/dev/null 2>&1 || fail "cannot set the DLL order of the copy"
cd "$folder"
start_program "$folder/Tarvelin-planted.exe"
before=$(clipboard_text)
click_control gen
password=$(clipboard_after "$before")
[ ! -e planted-bcrypt-loaded.txt ] || fail "the program loaded the bcrypt.dll planted beside it"
click_control exit
wait_exit 15 || fail "the program did not end after Exit"
[[ "$password" =~ ^[0-9A-Za-z]{7}$ ]] || fail "clipboard holds '$password', not a 7-character password"
[ "$password" != AAAAAAA ] || fail "the password came from the planted bcrypt.dll"
echo "ok: the planted bcrypt.dll stayed unloaded, password $password"
