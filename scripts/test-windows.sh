#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs the Windows tests under Wine.
# Where the kernel cannot start 32-bit programs (Wine's 32-bit loader fails
# there), the tests run as the 64-bit build of the same sources instead,
# and the script says so.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
export QI_WINEPREFIX=$PWD/build/wineprefix

build() {  # build DIR TOOLCHAIN TRIPLE: with a static libjpeg and libdeflate for that target
  local deps=$PWD/build/deps/$3
  JOBS=$jobs scripts/libjpeg-mingw.sh "$3" "$deps" || return 1
  JOBS=$jobs scripts/libdeflate-mingw.sh "$3" "$deps" || return 1
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$2" \
    -DJPEG_INCLUDE_DIR="$deps/include" -DJPEG_LIBRARY="$deps/lib/libjpeg.a" \
    -DLIBDEFLATE_INCLUDE_DIR="$deps/include" -DLIBDEFLATE_LIBRARY="$deps/lib/libdeflate.a" >/dev/null &&
    { echo "== building $1 (log: $1.log)"; cmake --build "$1" -j "$jobs" >"$1.log" 2>&1 || { cat "$1.log"; false; }; }
}

build build/win32 cmake/mingw-i686.cmake i686-w64-mingw32 || exit 1
if scripts/wine-run.sh build/win32/qpack.exe --help 2>/dev/null | grep -q '^usage: qpack'; then
  tests=build/win32
else
  echo "== This machine cannot run 32-bit programs under Wine: the Windows tests run as the 64-bit build of the same sources"
  build build/win64 cmake/mingw-x86_64.cmake x86_64-w64-mingw32 || exit 1
  tests=build/win64
fi
(cd "$tests" && ctest --output-on-failure)
status=$?
WINEPREFIX=$QI_WINEPREFIX wineserver -k 2>/dev/null
exit $status
