#!/usr/bin/env bash
# Installs the build and test dependencies on Debian 12 (as root). Idempotent: when every
# package is present it returns at once without touching apt.
set -euo pipefail

packages=(
  cmake make ninja-build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  mingw-w64-tools libwine-dev
  wine wine32:i386 wine64
  xvfb
  nginx-light
  squid python3 python3-pyftpdlib openssl osslsigncode curl
  googletest imagemagick
  rapidjson-dev
  wixl libxml2-utils
  clang libclang-rt-14-dev
  # Wine's dialog font here (DejaVu Sans) and the fonts test-env.sh links to it for Japanese,
  # Chinese and Korean text.
  fonts-dejavu-core fonts-noto-cjk
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
fi

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  if [[ " ${missing[*]} " == *" squid "* ]]; then
    # The tests run squid instances of their own on 127.0.0.1; the system service is not wanted.
    { systemctl disable --now squid || { service squid stop; update-rc.d squid disable; }; } >/dev/null 2>&1 || true
  fi
fi
