#!/bin/bash
# Signs Windows files in place with Authenticode (SHA-256) by osslsigncode, with the code-signing
# certificate the environment names; make-packages.sh calls it for the program, the installer and
# the MSI, and makensis for the uninstaller it writes.
#   sign.sh FILE...
#   sign.sh --check    fails when the environment names a certificate only in part
# The environment, either of:
#   TARVELIN_SIGN_PKCS12=file.p12                    key and certificates in one PKCS#12 file
#   TARVELIN_SIGN_KEY=key.pem TARVELIN_SIGN_CERTS=certs.pem   PEM key, certificate and its chain
# and, when wanted:
#   TARVELIN_SIGN_PASSWORD=...                       of the PKCS#12 file or the encrypted key
#   TARVELIN_SIGN_TIMESTAMP=http://...               an RFC 3161 time-stamp server
set -euo pipefail

fail() {
  echo "sign: $*" >&2
  exit 1
}

pkcs12=${TARVELIN_SIGN_PKCS12:-} key=${TARVELIN_SIGN_KEY:-} certs=${TARVELIN_SIGN_CERTS:-}
if [ -n "$pkcs12" ]; then
  [ -z "$key$certs" ] || fail "give TARVELIN_SIGN_PKCS12 or TARVELIN_SIGN_KEY and TARVELIN_SIGN_CERTS, not both"
  [ -r "$pkcs12" ] || fail "cannot read TARVELIN_SIGN_PKCS12=$pkcs12"
  identity=(-pkcs12 "$pkcs12")
elif [ -n "$key$certs" ]; then
  [ -n "$key" ] && [ -n "$certs" ] || fail "TARVELIN_SIGN_KEY and TARVELIN_SIGN_CERTS go together"
  [ -r "$key" ] || fail "cannot read TARVELIN_SIGN_KEY=$key"
  [ -r "$certs" ] || fail "cannot read TARVELIN_SIGN_CERTS=$certs"
  identity=(-key "$key" -certs "$certs")
else
  [ -z "${TARVELIN_SIGN_PASSWORD:-}${TARVELIN_SIGN_TIMESTAMP:-}" ] ||
    fail "TARVELIN_SIGN_PASSWORD or TARVELIN_SIGN_TIMESTAMP is set, but no certificate"
  [ "${1:-}" = --check ] && exit 0
  fail "no certificate: set TARVELIN_SIGN_PKCS12, or TARVELIN_SIGN_KEY and TARVELIN_SIGN_CERTS"
fi
[ "${1:-}" = --check ] && exit 0

options=(-h sha256 -n "Tarvelin FREE" -i http://www.corvanix.example)
[ -z "${TARVELIN_SIGN_TIMESTAMP:-}" ] || options+=(-ts "$TARVELIN_SIGN_TIMESTAMP")
# The password goes through a pipe, never on a command line that others can read; osslsigncode
# takes an empty one for none only when it is not asked to read one.
[ -z "${TARVELIN_SIGN_PASSWORD:-}" ] || options+=(-readpass /dev/stdin)
for file in "$@"; do
  if ! printf '%s' "${TARVELIN_SIGN_PASSWORD:-}" |
    osslsigncode sign "${identity[@]}" "${options[@]}" -in "$file" -out "$file.signed" >"$file.log" 2>&1; then
    cat "$file.log" >&2
    rm -f "$file.signed" "$file.log"
    fail "signing $file failed"
  fi
  rm -f "$file.log"
  mv "$file.signed" "$file"
done
