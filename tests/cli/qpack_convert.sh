#!/usr/bin/env bash
# qpack image convert and info across picture files, and what a second
# decoder (ImageMagick, when installed) reads from the files qpack writes:
# qpack_convert.sh SOURCE_DIR QPACK_COMMAND...
set -u
source "$(dirname "$0")/lib.sh"
qpack=("${cmd[@]}")

# Pictures: a photo-like one with soft alpha, ones of exactly 2, 16 and 256
# colours, one of 16 colours with a hard mask (black where transparent), and
# an icon file of two bitmap images.
python3 - <<'PY'
import struct, zlib
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
def png(name, w, h, pixel, alpha):
    rows = b''.join(b'\0' + b''.join(bytes(pixel(x, y)[:4 if alpha else 3]) for x in range(w)) for y in range(h))
    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6 if alpha else 2, 0, 0, 0)
    open(name, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
png('photo.png', 40, 30, lambda x, y: (x * 6, y * 8, 255 - x * 3 - y * 2, 40 + x * 5), True)
png('pal2.png', 21, 9, lambda x, y: (200, 10, 30) if (x + y) % 3 else (0, 90, 255), False)
png('pal16.png', 21, 9, lambda x, y: ((x % 4) * 80, (y % 4) * 60, 7), False)
png('pal256.png', 32, 16, lambda x, y: (x * 8, (y % 8) * 32 + x % 4, 99), False)
png('mask.png', 16, 16, lambda x, y: ((x % 4) * 80, 255, 30, 255) if (x - 8) ** 2 + (y - 8) ** 2 < 40 else (0, 0, 0, 0), True)
# Two bitmap images: 16 x 16 at 32 bits, 8 x 8 at 24 bits with an AND mask.
def dib(w, h, bits, pixels):
    stride = (w * bits + 31) // 32 * 4
    xor = b''.join((b''.join(pixels) + b'\0' * stride)[:stride] for _ in range(h))
    andmask = b'\0' * ((w + 31) // 32 * 4) * h
    return struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, bits, 0, 0, 0, 0, 0, 0) + xor + andmask
images = [(16, 16, 32, dib(16, 16, 32, [b'\x10\x20\x30\xff'] * 16)), (8, 8, 24, dib(8, 8, 24, [b'\x40\x50\x60'] * 8))]
out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for w, h, bits, data in images:
    out += struct.pack('<BBBBHHII', w, h, 0, 0, 1, bits, len(data), offset)
    offset += len(data)
open('multi.ico', 'wb').write(out + b''.join(d for _, _, _, d in images))
PY

# png -> tga -> bmp -> png at each bit count keeps every pixel of the first
# conversion; pictures with no more colours than the bit count holds come
# back exactly.
for bits in 1 4 8 15 16 24 32; do
  case $bits in 1) src=pal2 ;; 4) src=pal16 ;; 8) src=pal256 ;; *) src=photo ;; esac
  "${qpack[@]}" image convert $src.png a$bits.tga --bits $bits 2>err.txt; check "$bits bits: png to tga" 0 $?
  "${qpack[@]}" image convert a$bits.tga b$bits.bmp 2>err.txt; check "$bits bits: tga to bmp" 0 $?
  "${qpack[@]}" image convert b$bits.bmp c$bits.png 2>err.txt; check "$bits bits: bmp to png" 0 $?
  "${qpack[@]}" image convert a$bits.tga ref$bits.png 2>err.txt; check "$bits bits: tga to png" 0 $?
  same_pixels "$bits bits: the round trip keeps every pixel" ref$bits.png c$bits.png
  case $bits in 15 | 16) ;; *) same_pixels "$bits bits: exact colours stay exact" $src.png c$bits.png ;; esac
done
"${qpack[@]}" image convert pal16.png d4.bmp --bits 4 2>err.txt; check "png to a 4-bit bitmap" 0 $?
"${qpack[@]}" image info d4.bmp >info.txt 2>err.txt; check "info of a bitmap" 0 $?
contains "info shows size and bit count" info.txt "21 x 9  4 bpp"

# Icons and cursors keep masks: soft alpha at 32 bits, a hard one at 4 bits.
"${qpack[@]}" image convert photo.png soft.ico 2>err.txt; check "png to icon" 0 $?
"${qpack[@]}" image convert soft.ico soft.png 2>err.txt; check "icon to png" 0 $?
same_pixels "a soft mask comes back" photo.png soft.png
"${qpack[@]}" image convert mask.png hard.cur --bits 4 2>err.txt; check "png to a 4-bit cursor" 0 $?
"${qpack[@]}" image convert hard.cur hard.png 2>err.txt; check "cursor to png" 0 $?
same_pixels "a hard mask comes back" mask.png hard.png
"${qpack[@]}" image info hard.cur >info.txt 2>err.txt; check "info of a cursor" 0 $?
contains "cursor listing" info.txt "000 : 16 x 16  4 bpp"
"${qpack[@]}" image info multi.ico >info.txt 2>err.txt; check "info of two icons" 0 $?
contains "first of two icons" info.txt "000 : 16 x 16  32 bpp"
contains "second of two icons" info.txt "001 : 8 x 8  24 bpp"
"${qpack[@]}" image convert multi.ico second.tga --image 1 2>err.txt; check "the second icon" 0 $?
"${qpack[@]}" image info second.tga >info.txt 2>err.txt; check "info of the second icon" 0 $?
contains "the second icon's size" info.txt "8 x 8"
"${qpack[@]}" image convert multi.ico x.png --image 2 2>err.txt; check "an icon that is not there" 1 $?
contains "names the missing image" err.txt "no image 2"

# Layered images, flips and colour reduction.
"${qpack[@]}" image convert pal256.png l.vxa --bits 8 2>err.txt; check "png to a layered image" 0 $?
"${qpack[@]}" image convert l.vxa l.png 2>err.txt; check "layered image to png" 0 $?
same_pixels "a layered image keeps the pixels" pal256.png l.png
"${qpack[@]}" image convert photo.png f.bmp --flip h --flip v 2>err.txt; check "flips" 0 $?
"${qpack[@]}" image convert f.bmp f.png --flip v --flip h 2>err.txt; check "flips back" 0 $?
same_pixels "flipping twice gives the picture back" photo.png f.png
for method in fast octree median median2; do
  "${qpack[@]}" image convert photo.png r.tga --colors 16 --method $method --dither 2>err.txt
  check "16 colours by $method" 0 $?
  "${qpack[@]}" image info r.tga >info.txt 2>err.txt
  contains "$method gives a palette picture" info.txt "8 bpp"
done

# Refusals.
"${qpack[@]}" image convert photo.png x.gif 2>err.txt; check "an unknown extension" 2 $?
"${qpack[@]}" image convert photo.png x.tga --bits 4 --colors 17 2>err.txt; check "more colours than bits" 2 $?
"${qpack[@]}" image convert photo.png x.tga --method octree 2>err.txt; check "a method without colours" 2 $?
python3 - <<'PY'
import struct
# A 300 x 300 bitmap: too large for an icon.
stride = 300 * 3
open('large.bmp', 'wb').write(b'BM' + struct.pack('<IHHI', 54 + stride * 300, 0, 0, 54) +
                              struct.pack('<IiiHHIIiiII', 40, 300, 300, 1, 24, 0, 0, 0, 0, 0, 0) + b'\x80' * stride * 300)
PY
"${qpack[@]}" image convert large.bmp x.ico 2>err.txt; check "too large for an icon" 1 $?
contains "says why" err.txt "256"
head -c 40 a24.tga >cut.tga
"${qpack[@]}" image convert cut.tga x.png 2>err.txt; check "a cut targa picture" 1 $?
contains "names the cut file" err.txt "cut.tga"

# A second decoder reads the same pixels (its own widening of 5-bit fields
# differs by up to 7) and the same alpha.
if convert -version 2>/dev/null | grep -q ImageMagick; then
  raw_same() {  # raw_same NAME A.raw B.raw TOLERANCE
    if python3 -c "
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
sys.exit(0 if len(a) == len(b) and len(a) > 0 and all(abs(x - y) <= int(sys.argv[3]) for x, y in zip(a, b)) else 1)
" "$2" "$3" "$4"; then echo "ok: $1"; else fail "$1"; fi
  }
  for f in a1.tga a4.tga a8.tga a15.tga a16.tga a24.tga a32.tga b1.bmp b4.bmp b8.bmp b15.bmp b16.bmp b24.bmp b32.bmp \
           soft.ico hard.cur l.png; do
    tolerance=0
    case $f in *15.* | *16.*) tolerance=7 ;; esac
    "${qpack[@]}" image convert $f ours.png 2>err.txt
    convert "$f[0]" -auto-orient -alpha off -depth 8 rgb:theirs.rgb && convert ours.png -alpha off -depth 8 rgb:ours.rgb
    raw_same "ImageMagick reads the colours of $f" ours.rgb theirs.rgb $tolerance
  done
  for f in a32.tga b32.bmp soft.ico hard.cur; do
    "${qpack[@]}" image convert $f ours.png 2>err.txt
    convert "$f[0]" -auto-orient -alpha extract -depth 8 gray:theirs.a && convert ours.png -alpha extract -depth 8 gray:ours.a
    raw_same "ImageMagick reads the alpha of $f" ours.a theirs.a 0
  done
else
  echo "skipped: ImageMagick is not installed, the files are not checked with a second decoder"
fi

finish "qpack image convert"
