#!/usr/bin/env bash
# Cross-builds a static libjpeg (libjpeg-turbo, from Debian's source package)
# for one MinGW-w64 target, once: scripts/libjpeg-mingw.sh TRIPLE DEST
# leaves DEST/lib/libjpeg.a and DEST/include/*.h. Needs root the first time,
# to add a deb-src entry for the Debian mirror already configured.
set -euo pipefail
triple=$1
dest=$(realpath -m "$2")
[ -f "$dest/lib/libjpeg.a" ] && exit 0

root=$(cd "$(dirname "$0")/.." && pwd)
sources=$root/build/deps/libjpeg-turbo-source
if [ ! -f "$sources/jpeglib.h" ]; then
  if ! apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package:'; then
    mirror=$(sed -n 's/^URIs: *\(http[^ ]*\/debian\)\/\{0,1\} *$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    cat >/etc/apt/sources.list.d/qinstall-src.sources <<SRC
Types: deb-src
URIs: ${mirror:-http://deb.debian.org/debian}
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
  fi
  download=$(mktemp -d)
  (cd "$download" && apt-get source -qq --download-only libjpeg-turbo >/dev/null 2>&1 &&
    dpkg-source -x --no-check ./*.dsc source >/dev/null)
  mkdir -p "$(dirname "$sources")"
  rm -rf "$sources"
  mv "$download/source" "$sources"
  rm -rf "$download"
fi

work=$root/build/deps/libjpeg-$triple
cmake -S "$sources" -B "$work" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR="${triple%%-*}" \
  -DCMAKE_C_COMPILER="$triple-gcc-posix" -DCMAKE_INSTALL_PREFIX="$dest" \
  -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  >/dev/null
cmake --build "$work" --target jpeg-static -j "${JOBS:-2}" >/dev/null
mkdir -p "$dest/lib" "$dest/include"
cp "$sources"/jpeglib.h "$sources"/jmorecfg.h "$sources"/jerror.h "$work"/jconfig.h "$dest/include/"
cp "$work/libjpeg.a" "$dest/lib/"
