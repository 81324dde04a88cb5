#!/bin/bash
# Installs the Debian packages the build, the tests and the program need, when any is missing,
# and generates the locales the Windows tests use for their ANSI code pages: 1251, 1252, 932 and
# (hi_IN, a locale without an ANSI code page of its own, for which Wine takes UTF-8) 65001.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xserver-xephyr xauth xdotool xclip x11-utils imagemagick locales openbox wmctrl
  librsvg2-bin icoutils
  pwgen nginx-light python3 iproute2 util-linux valgrind
  zip unzip nsis wixl msitools osslsigncode openssl git
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    echo "install-packages: not root, using sudo for: $*" >&2
    sudo "$@"
  else
    echo "install-packages: not root and no sudo; run as root: $*" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-packages: installing ${missing[*]}" >&2
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

need_locales=()
for l in ru_RU.UTF-8 en_US.UTF-8 ja_JP.UTF-8 hi_IN.UTF-8; do
  short=$(echo "$l" | sed 's/UTF-8/utf8/')
  locale -a 2>/dev/null | grep -qx "$short" || need_locales+=("$l")
done
if [ ${#need_locales[@]} -gt 0 ]; then
  echo "install-packages: generating locales ${need_locales[*]}" >&2
  for l in "${need_locales[@]}"; do
    as_root sed -i -E "s/^# *($l)/\\1/" /etc/locale.gen
    grep -q "^$l" /etc/locale.gen || echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  done
  as_root locale-gen >/dev/null
fi
