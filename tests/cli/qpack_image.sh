#!/usr/bin/env bash
# qpack image create, info and render: qpack_image.sh SOURCE_DIR QPACK_COMMAND...
set -u
source "$(dirname "$0")/lib.sh"
qpack=("${cmd[@]}")

# Source pictures: 37 x 23 RGB and RGBA, unfiltered rows.
python3 - <<'PY'
import struct, zlib
def png(name, w, h, alpha):
    rows = b''
    for y in range(h):
        rows += b'\0'
        for x in range(w):
            px = bytes([(x * 7) & 255, (y * 11) & 255, (x * y) & 255])
            if alpha: px += bytes([(x * 9 + y) & 255])
            rows += px
    def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6 if alpha else 2, 0, 0, 0)
    open(name, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(rows))
                           + chunk(b'IEND', b''))
png('rgb.png', 37, 23, False)
png('rgba.png', 37, 23, True)
# A smooth picture for JPEG.
rows = b''
for y in range(16):
    rows += b'\0' + b''.join(bytes([x * 4, y * 8, 100]) for x in range(32))
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
open('smooth.png', 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 32, 16, 8, 2, 0, 0, 0))
                               + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
PY
for storage in raw zlib; do
  for extra in "" "--tile 8x5" "--scramble 4242" "--tile 16x16 --scramble 7"; do
    for src in rgb rgba; do
      name="$src $storage $extra"
      # shellcheck disable=SC2086
      "${qpack[@]}" image create $src.png out.vxa --storage $storage $extra 2>err.txt; check "create $name" 0 $?
      seed=0
      case "$extra" in *--scramble\ 4242*) seed=4242 ;; *--scramble\ 7*) seed=7 ;; esac
      "${qpack[@]}" image render out.vxa back.png --seed $seed 2>err.txt; check "render $name" 0 $?
      same_pixels "render gives back the pixels: $name" $src.png back.png
    done
  done
done
"${qpack[@]}" image create rgb.png old.vxa --version 102 2>err.txt; check "create version 102" 0 $?
"${qpack[@]}" image render old.vxa back.png 2>err.txt; check "render version 102" 0 $?
same_pixels "version 102 gives back the pixels" rgb.png back.png

"${qpack[@]}" image create rgba.png info.vxa --storage raw --tile 8x8 2>err.txt; check "create for info" 0 $?
"${qpack[@]}" image info info.vxa >info.txt 2>err.txt; check "info" 0 $?
contains "info version" info.txt "version: 106"
contains "info storage" info.txt "storage: raw"
contains "info tiles" info.txt "tiles: 8x8"
contains "info frame" info.txt '37x23, 24 bits'
contains "info layer" info.txt 'visible 1, opacity 255, trans value -1, alpha 1, mask yes'

"${qpack[@]}" image render info.vxa back.png --frame 1 2>err.txt; check "render a frame that does not exist" 1 $?
contains "names the missing frame" err.txt "no frame 1"
"${qpack[@]}" image create rgb.png x.vxa --storage gzip 2>err.txt; check "unknown storage" 2 $?
"${qpack[@]}" image create rgb.png x.vxa --tile 8 2>err.txt; check "bad tile size" 2 $?
"${qpack[@]}" image create rgb.png x.vxa --version 102 --storage raw 2>err.txt; check "raw needs version 103" 2 $?
printf 'not a png' >bad.png
"${qpack[@]}" image create bad.png x.vxa 2>err.txt; check "not a PNG" 1 $?
head -c 200 info.vxa >cut.vxa
"${qpack[@]}" image render cut.vxa back.png 2>err.txt; check "cut image" 1 $?
contains "names the file" err.txt "cut.vxa"

if "${qpack[@]}" image create smooth.png j.vxa --storage jpeg 2>err.txt; then
  "${qpack[@]}" image render j.vxa back.png 2>err.txt; check "render jpeg" 0 $?
  same_pixels "jpeg within the codec's error" smooth.png back.png 12
else
  contains "jpeg refused plainly where unsupported" err.txt "JPEG storage is not supported"
fi

finish "qpack image"
