#!/usr/bin/env bash
# Writes the small seed pictures of the decoder fuzz targets into corpus/<codec>/
# (committed; the fuzzer grows its own copies elsewhere). Needs ImageMagick 6 and python3;
# the PNG, WebP, HEIF and TIFF seeds are the picture tests' fixtures
# (tests/publish/formats/make-fixtures.sh), each also cut short.
#   tests/fuzz/make-corpus.sh
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
C=$HERE/corpus
IM=convert-im6.q16
rm -rf "$C"; mkdir -p "$C/jpeg" "$C/gif" "$C/bmp"
SRC=(-size 24x16 plasma:fractal -seed 7)
GRAD=(-size 19x13 gradient:red-blue)

# JPEG: baseline 4:2:0 and 4:4:4, progressive, greyscale, CMYK, restart markers, odd sizes.
$IM -seed 7 "${SRC[@]}" -quality 80 -sampling-factor 2x2 "$C/jpeg/baseline420.jpg"
$IM -seed 7 "${SRC[@]}" -quality 95 -sampling-factor 1x1 "$C/jpeg/baseline444.jpg"
$IM -seed 7 "${SRC[@]}" -interlace Plane "$C/jpeg/progressive.jpg"
$IM "${GRAD[@]}" -colorspace Gray "$C/jpeg/grey.jpg"
$IM "${GRAD[@]}" -colorspace CMYK "$C/jpeg/cmyk.jpg"
$IM -seed 7 "${SRC[@]}" -define jpeg:restart-interval=1 "$C/jpeg/restart.jpg"
$IM -size 1x1 xc:orange "$C/jpeg/one-pixel.jpg"

# GIF: global and local colour tables, interlaced, transparent, two frames, few colours.
$IM -seed 7 "${SRC[@]}" -colors 64 "$C/gif/global.gif"
$IM -seed 7 "${SRC[@]}" -colors 16 -interlace GIF "$C/gif/interlaced.gif"
$IM "${GRAD[@]}" -colors 8 -transparent red "$C/gif/transparent.gif"
$IM -size 9x7 xc:white -size 9x7 xc:black -delay 10 -loop 0 "$C/gif/two-frames.gif"
$IM -size 5x3 pattern:checkerboard -colors 2 "$C/gif/two-colours.gif"

# BMP: 1, 4, 8, 16 (bit fields), 24 and 32 bits, top-down, the old core header, RLE (refused).
$IM "${GRAD[@]}" -monochrome -type Bilevel BMP3:"$C/bmp/mono.bmp"
$IM "${GRAD[@]}" -colors 16 -compress None -type Palette BMP3:"$C/bmp/palette4.bmp"
$IM -seed 7 "${SRC[@]}" -colors 200 -compress None -type Palette BMP3:"$C/bmp/palette8.bmp"
$IM "${GRAD[@]}" -colors 200 -compress RLE -type Palette BMP3:"$C/bmp/rle8.bmp"
$IM "${GRAD[@]}" -define bmp:subtype=RGB565 BMP:"$C/bmp/rgb565.bmp"
$IM "${GRAD[@]}" -type TrueColor BMP3:"$C/bmp/rgb24.bmp"
$IM "${GRAD[@]}" -alpha on -channel A -evaluate set 60% +channel -type TrueColorAlpha BMP:"$C/bmp/argb32.bmp"
$IM "${GRAD[@]}" -type TrueColor BMP2:"$C/bmp/core-header.bmp"

/usr/bin/python3 - "$C" <<'PY'
import struct, sys
c = sys.argv[1]
def read(p): return open(p, 'rb').read()
# A JPEG turned by Exif (orientation 6, big-endian TIFF) and one cut short.
j = read(f'{c}/jpeg/baseline420.jpg')
tiff = b'MM\0\x2a\0\0\0\x08' + struct.pack('>H', 1) + struct.pack('>HHIHH', 0x0112, 3, 1, 6, 0) + b'\0\0\0\0'
payload = b'Exif\0\0' + tiff
open(f'{c}/jpeg/exif-rotated.jpg', 'wb').write(j[:2] + b'\xff\xe1' + struct.pack('>H', len(payload) + 2) + payload + j[2:])
open(f'{c}/jpeg/truncated.jpg', 'wb').write(j[:len(j) // 2])
g = read(f'{c}/gif/global.gif')
open(f'{c}/gif/truncated.gif', 'wb').write(g[:len(g) * 2 // 3])
# A top-down 24-bit bitmap: negative height, rows in reading order.
b = bytearray(read(f'{c}/bmp/rgb24.bmp'))
w, h = struct.unpack_from('<ii', b, 18)
off = struct.unpack_from('<I', b, 10)[0]
stride = (w * 3 + 3) // 4 * 4
rows = [b[off + y * stride: off + (y + 1) * stride] for y in range(h)]
b[off:off + h * stride] = b''.join(reversed(rows))
struct.pack_into('<i', b, 22, -h)
open(f'{c}/bmp/top-down.bmp', 'wb').write(bytes(b))
PY
# PNG, WebP, HEIF (HEIC and AVIF) and TIFF: the fixtures of every kind, and each cut short.
F=$HERE/../publish/formats
new_corpus() {
  local codec=$1; shift
  rm -rf "${C:?}/$codec"; mkdir -p "$C/$codec"
  for f in "$@"; do
    cp "$f" "$C/$codec/"
    head -c $(( $(stat -c %s "$f") * 2 / 3 )) "$f" > "$C/$codec/truncated-$(basename "$f")"
  done
}
new_corpus png "$F"/png-rgb.png "$F"/png-palette.png "$F"/png-grey-alpha.png "$F"/png-16bit.png "$F"/png-interlaced.png \
  "$F"/png-exif-turned.png "$F"/png-prophoto.png
# A chunk that claims far more bytes than the file holds (libpng would allocate them).
/usr/bin/python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); open(sys.argv[2], "wb").write(d[:33] + bytes.fromhex("60ffffff") + b"tEXtAuthor\0x")' \
  "$F"/png-rgb.png "$C/png/truncated-long-text-chunk.png"
new_corpus webp "$F"/webp-*.webp
new_corpus heif "$F"/heic.heic "$F"/avif.avif
new_corpus tiff "$F"/tiff-*.tif

du -sh "$C"; ls -l "$C"/*
