#!/bin/bash
# The packages signed with a throwaway code-signing certificate made here, once from a PKCS#12 file
# with a password and once from a PEM key and certificate with time stamps from a throwaway
# time-stamp server on the loopback: the program, the installer and the MSI verify against that
# certificate (and the time stamps against the server's), and without their signatures the program is this build's
# Tarvelin.exe byte for byte and the MSI this build's MSI but for the program it holds. A
# certificate given only in part, or a wrong password, fails the package step. The signed packages
# stay in signing-test/ of the build tree for the test under Wine.
#   signing_test.sh BUILD_DIR VERSION SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd) version=$2 source_dir=$3
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
name=Tarvelin-$version-win64
work=$build/signing-test
rm -rf "$work"
mkdir -p "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvelin test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
password='a pass word; $with "quotes"'
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.p12" -passout fd:3 3<<<"$password"
# The time-stamp server, with a certificate of its own.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvelin test time stamps" \
  -addext "extendedKeyUsage=critical,timeStamping" -keyout "$work/tsa-key.pem" -out "$work/tsa.pem" 2>/dev/null
cat >"$work/tsa.cnf" <<EOF
[ tsa ]
default_tsa = test_tsa
[ test_tsa ]
serial = $work/tsa-serial
signer_cert = $work/tsa.pem
signer_key = $work/tsa-key.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
ess_cert_id_alg = sha256
EOF
python3 "$(dirname "$0")/tsa_server.py" "$work/tsa.cnf" >"$work/tsa.port" &
tsa_pid=$!
trap 'kill $tsa_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$work/tsa.port" ] && break; sleep 0.1; done
tsa_url=http://127.0.0.1:$(cat "$work/tsa.port")

package() {  # OUTDIR [NAME=VALUE...]: the packages of this build, made with that environment
  local outdir=$1
  shift
  env -u TARVELIN_SIGN_PKCS12 -u TARVELIN_SIGN_KEY -u TARVELIN_SIGN_CERTS -u TARVELIN_SIGN_PASSWORD \
    -u TARVELIN_SIGN_TIMESTAMP "$@" "$source_dir/packaging/make-packages.sh" "$build/Tarvelin.exe" "$outdir" \
    "$version" "${version%.*.*}" "$source_dir/resources/images/tarvelin.ico"
}
verify() {  # FILE [-TSA-CAfile CERT]
  osslsigncode verify -CAfile "$work/cert.pem" "${@:2}" -in "$1" >"$work/verify.log" 2>&1 ||
    fail "$1 does not verify against the test certificate: $(cat "$work/verify.log")"
  if [ $# -gt 1 ]; then
    grep -q 'Timestamp Server Signature verification: ok' "$work/verify.log" || fail "$1 has no valid time stamp"
  fi
}
# Every table and stream of an MSI but those of the program: its size, its hash and the cabinet.
msi_rest() {
  rm -rf "$2"
  mkdir -p "$2"
  (cd "$2" && msidump -d . -t -s "$1" >/dev/null)  # the binary columns go into the current folder
  rm -f "$2/File.idt" "$2/MsiFileHash.idt" "$2/_Streams/tarvelin.cab"
}
msi_rest "$build/packages/$name.msi" "$work/unsigned-msi"

while read -r kind time_stamped settings; do
  eval "settings=($settings)"
  checks=()
  [ "$time_stamped" = without ] || checks=(-TSA-CAfile "$work/tsa.pem")
  out=$work/$kind
  rm -f "$work"/*.exe "$work"/*.stripped "$work"/*.msi
  package "$out" "${settings[@]}" >/dev/null || fail "$kind: the package step failed"
  (cd "$out" && sha256sum --check --strict --quiet SHA256SUMS) || fail "$kind: SHA256SUMS does not match"
  unzip -p "$out/$name.zip" Tarvelin.exe >"$work/zip.exe"
  mkdir -p "$work/$kind-msi-files"
  msiextract -C "$work/$kind-msi-files" "$out/$name.msi" >/dev/null
  for file in "$work/zip.exe" "$work/$kind-msi-files/Tarvelin/Tarvelin.exe" "$out/$name-install.exe" "$out/$name.msi"; do
    verify "$file" "${checks[@]}"
  done
  for exe in "$work/zip.exe" "$work/$kind-msi-files/Tarvelin/Tarvelin.exe"; do
    osslsigncode remove-signature -in "$exe" -out "$exe.stripped" >/dev/null
    cmp -s "$exe.stripped" "$build/Tarvelin.exe" || fail "$kind: $exe without its signature is not this build's Tarvelin.exe"
  done
  osslsigncode remove-signature -in "$out/$name.msi" -out "$work/stripped.msi" >/dev/null
  msi_rest "$work/stripped.msi" "$work/stripped-msi"
  diff -r "$work/unsigned-msi" "$work/stripped-msi" >&2 || fail "$kind: the signed MSI differs from the unsigned one"
  echo "ok: signed from $kind ($time_stamped time stamps): $(ls "$out" | tr '\n' ' ')"
done <<EOF
pkcs12 without TARVELIN_SIGN_PKCS12="$work/signer.p12" TARVELIN_SIGN_PASSWORD="\$password"
pem with TARVELIN_SIGN_KEY="$work/key.pem" TARVELIN_SIGN_CERTS="$work/cert.pem" TARVELIN_SIGN_TIMESTAMP="$tsa_url"
EOF

# Half a certificate is an error, never unsigned packages.
while read -r case settings; do
  eval "settings=($settings)"
  rm -rf "$work/refused"
  if package "$work/refused" "${settings[@]}" >"$work/refused.log" 2>&1; then
    fail "$case: the package step succeeded"
  fi
  [ ! -e "$work/refused/$name-install.exe" ] || fail "$case: an installer was written"
  echo "ok: refused $case: $(grep -m1 '^sign:' "$work/refused.log")"
done <<EOF
key-without-certs TARVELIN_SIGN_KEY="$work/key.pem"
certs-without-key TARVELIN_SIGN_CERTS="$work/cert.pem"
pkcs12-and-pem TARVELIN_SIGN_PKCS12="$work/signer.p12" TARVELIN_SIGN_KEY="$work/key.pem" TARVELIN_SIGN_CERTS="$work/cert.pem"
missing-pkcs12 TARVELIN_SIGN_PKCS12="$work/none.p12"
password-alone TARVELIN_SIGN_PASSWORD=x
wrong-password TARVELIN_SIGN_PKCS12="$work/signer.p12" TARVELIN_SIGN_PASSWORD=wrong
EOF
