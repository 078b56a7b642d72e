#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, in a private prefix
# inside the build folder. For a test program it also proves that the tests
# really ran: without a working 32-bit Wine a program exits 0 and prints
# nothing, so the GoogleTest summary must be there with at least one case.
set -uo pipefail
program=$1
shift
[ -f "$program" ] || { echo "wine-run.sh: no program $program" >&2; exit 127; }

dir=$(cd "$(dirname "$program")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
export WINEPREFIX=${QI_WINEPREFIX:-$dir/wineprefix}
export WINEDEBUG=-all
# No menu entries for the programs the tests install, and a home folder of
# its own inside the build folder: the user's menus and settings stay as
# they are.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$dir/winehome
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$HOME"
# A Japanese locale unless the caller names another (QI_WINE_LANG).
export LANG=${QI_WINE_LANG:-ja_JP.UTF-8}
export LC_ALL=$LANG
# No display unless the caller names one (QI_WINE_DISPLAY; the caller then
# starts and ends the Wine session on it).
export DISPLAY=${QI_WINE_DISPLAY:-}

wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine64" wineboot --init >/dev/null 2>&1
  wineserver -w
fi

# The loader follows the program's machine type: 64-bit programs go to wine64.
pe_offset=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$program" | tr -d ' ')
wine=wine
[ "$machine" = 8664 ] && wine=$wine64

out=$(mktemp)
cleanup='rm -f "$out"'
# The window tests get a virtual display of their own, 1024 x 768.
# A Wine session started without a display cannot show their windows, so
# they run in a session of their own, ended again before the next program.
display=()
if [ "$(basename "$program")" = test_gui.exe ]; then
  display=(xvfb-run -a -s "-screen 0 1024x768x24")
  wineserver -k 2>/dev/null
  wineserver -w
  cleanup+='; wineserver -k 2>/dev/null; wineserver -w'
fi
trap "$cleanup" EXIT

# Wine's server ends a few seconds after its last program. A program that
# connects just as it ends fails before it has run anything ("wine client
# error: ... recvmsg"); such a run is started once more, on a new server.
lost_server() {  # lost_server STATUS OUTPUT_FILE
  [ "$1" != 0 ] && grep -q "wine client error" "$2" || return 1
  echo "wine-run: the Wine server ended as $(basename "$program") started; it runs once more" >&2
  wineserver -w
}

case "$(basename "$program")" in
  test_*.exe)
    for attempt in 1 2; do
      "${display[@]}" "$wine" "$program" "$@" 2>&1 | tee "$out"
      status=${PIPESTATUS[0]}
      [ $attempt = 1 ] && lost_server "$status" "$out" && continue
      break
    done
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$out" | tr -d '\r' | tail -1)
    if [ "$status" = 0 ] && [ "${passed:-0}" -gt 0 ]; then
      exit 0
    fi
    echo "wine-run: $(basename "$program") did not report passed tests (exit $status)" >&2
    exit 1
    ;;
  *)
    # Standard error is held back until the program ends, to see why it did.
    for attempt in 1 2; do
      "$wine" "$program" "$@" 2>"$out"
      status=$?
      [ $attempt = 1 ] && lost_server "$status" "$out" && continue
      break
    done
    cat "$out" >&2
    exit "$status"
    ;;
esac
