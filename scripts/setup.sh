#!/usr/bin/env bash
# Installs the Debian packages the two builds and their tests need.
# Idempotent: does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ googletest pkg-config
  zlib1g-dev libjpeg62-turbo-dev libdeflate-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix libz-mingw-w64-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine64 wine32:i386
  locales fonts-ipafont python3 dpkg-dev
  qt6-base-dev
  xvfb xauth openbox xdotool imagemagick
  libtomlplusplus-dev xorriso osslsigncode openssl unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" != 0 ]; then
    echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Windows tests run under a Japanese locale, and once under an English
# one, whose system code page is not 932.
for wanted in ja_JP en_US; do
  locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8$" && continue
  [ "$(id -u)" = 0 ] || continue
  sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" >> /etc/locale.gen
  locale-gen >/dev/null
done
