# What the command-line checks share. Source it with the check script's
# arguments: SOURCE_DIR COMMAND... ; it sets root and cmd (the command as an
# array), moves into a fresh work folder removed at exit, and offers the
# checks below. End the script with `finish NAME`.
root=$1
shift
cmd=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
fail() {  # fail TEXT: counts one failed check
  echo "FAIL: $1"
  failures=$((failures + 1))
}
check() {  # check NAME EXPECTED_STATUS ACTUAL_STATUS
  if [ "$2" != "$3" ]; then
    fail "$1: exit status $3, expected $2"
    [ -s err.txt ] && sed 's/^/  /' err.txt
  else
    echo "ok: $1"
  fi
  return 0
}
contains() {  # contains NAME FILE TEXT
  if grep -qF -- "$3" "$2"; then echo "ok: $1"; else
    fail "$1: '$3' not in:"; sed 's/^/  /' "$2"; fi
}
same_tree() {  # same_tree NAME DIR1 DIR2
  if diff -r "$2" "$3" >diff.txt 2>&1; then echo "ok: $1"; else
    fail "$1:"; sed 's/^/  /' diff.txt; fi
}
# PNG files written without row filters (as qpack and these scripts write
# them) have the same header and their samples differ by at most TOLERANCE.
same_pixels() {  # same_pixels NAME A.png B.png [TOLERANCE]
  if python3 - "$2" "$3" "${4:-0}" <<'PY'
import sys, zlib, struct
def rows(name):
    data = open(name, 'rb').read()
    pos, idat, hdr = 8, b'', None
    while pos < len(data):
        n, t = struct.unpack('>I4s', data[pos:pos + 8])
        if t == b'IHDR': hdr = data[pos + 8:pos + 8 + 13]
        if t == b'IDAT': idat += data[pos + 8:pos + 8 + n]
        pos += 12 + n
    return hdr, zlib.decompress(idat)
(ha, a), (hb, b) = rows(sys.argv[1]), rows(sys.argv[2])
tol = int(sys.argv[3])
ok = ha == hb and len(a) == len(b) and all(abs(x - y) <= tol for x, y in zip(a, b))
sys.exit(0 if ok else 1)
PY
  then echo "ok: $1"; else fail "$1"; fi
}
finish() {  # finish NAME
  if [ "$failures" -eq 0 ]; then echo "$1: all checks passed"; exit 0; fi
  echo "$1: $failures checks failed"
  exit 1
}
