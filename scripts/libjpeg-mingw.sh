#!/usr/bin/env bash
# Cross-builds a static libjpeg (libjpeg-turbo, from Debian's source package)
# for one MinGW-w64 target, once: scripts/libjpeg-mingw.sh TRIPLE DEST
# leaves DEST/lib/libjpeg.a and DEST/include/*.h (the source through
# scripts/debian-source.sh).
set -euo pipefail
triple=$1
dest=$(realpath -m "$2")
[ -f "$dest/lib/libjpeg.a" ] && exit 0

root=$(cd "$(dirname "$0")/.." && pwd)
sources=$root/build/deps/libjpeg-turbo-source
"$root/scripts/debian-source.sh" libjpeg-turbo "$sources" jpeglib.h

work=$root/build/deps/libjpeg-$triple
cmake -S "$sources" -B "$work" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR="${triple%%-*}" \
  -DCMAKE_C_COMPILER="$triple-gcc-posix" -DCMAKE_INSTALL_PREFIX="$dest" \
  -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  >/dev/null
cmake --build "$work" --target jpeg-static -j "${JOBS:-2}" >/dev/null
mkdir -p "$dest/lib" "$dest/include"
cp "$sources"/jpeglib.h "$sources"/jmorecfg.h "$sources"/jerror.h "$work"/jconfig.h "$dest/include/"
cp "$work/libjpeg.a" "$dest/lib/"
