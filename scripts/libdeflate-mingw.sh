#!/usr/bin/env bash
# Cross-builds a static libdeflate (from Debian's source package, through
# scripts/debian-source.sh) for one MinGW-w64 target, once:
# scripts/libdeflate-mingw.sh TRIPLE DEST leaves DEST/lib/libdeflate.a and
# DEST/include/libdeflate.h.
set -euo pipefail
triple=$1
dest=$(realpath -m "$2")
[ -f "$dest/lib/libdeflate.a" ] && exit 0

root=$(cd "$(dirname "$0")/.." && pwd)
sources=$root/build/deps/libdeflate-source
"$root/scripts/debian-source.sh" libdeflate "$sources" libdeflate.h

# Its Makefile builds in the source tree: one copy per target.
work=$root/build/deps/libdeflate-$triple
rm -rf "$work"
cp -r "$sources" "$work"
make -C "$work" -j "${JOBS:-2}" CC="$triple-gcc-posix" AR="$triple-ar" libdeflatestatic.lib >/dev/null
mkdir -p "$dest/lib" "$dest/include"
cp "$work/libdeflate.h" "$dest/include/"
cp "$work/libdeflatestatic.lib" "$dest/lib/libdeflate.a"
