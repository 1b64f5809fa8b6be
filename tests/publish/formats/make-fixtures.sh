#!/usr/bin/env bash
# Writes the small source pictures of the picture format tests into this folder
# (committed; run again only to change them). Every one shows the same 48 x 32
# pattern of four flat quarters, green (30, 200, 40), red (200, 40, 30), blue
# (40, 60, 200) and light grey (240, 240, 240), stored in its own way: another
# colour type, bit depth, compression, orientation or colour profile.
# Needs imagemagick, webp, libheif-examples, libavif-bin, libtiff-tools, ghostscript.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
cd "$HERE"
IM="convert-im6.q16 -define png:exclude-chunk=date,time"
ICC=/usr/share/color/icc/ghostscript
T=$(mktemp -d); trap 'rm -rf "$T"' EXIT
rm -f ./*.png ./*.webp ./*.heic ./*.avif ./*.tif ./*.jpg

$IM -size 24x16 xc:'rgb(30,200,40)' xc:'rgb(200,40,30)' +append \
    \( -size 24x16 xc:'rgb(40,60,200)' xc:'rgb(240,240,240)' +append \) -append "$T/base.ppm"
$IM "$T/base.ppm" -rotate -90 "$T/turned.ppm" # shown upright with Exif orientation 6
# The lower right quarter clear.
$IM "$T/base.ppm" \( \( -size 24x16 xc:white xc:white +append \) \( -size 24x16 xc:white xc:black +append \) -append \) \
    -alpha off -compose CopyOpacity -composite "$T/clear.png"

# PNG: every colour type, 16 bits, interlaced, an Exif orientation, a wide-gamut profile.
$IM "$T/base.ppm" -define png:color-type=2 PNG24:png-rgb.png
$IM "$T/base.ppm" -colors 4 PNG8:png-palette.png
$IM "$T/base.ppm" -colorspace Gray -define png:color-type=0 PNG:png-grey.png
$IM "$T/clear.png" -colorspace Gray -define png:color-type=4 PNG:png-grey-alpha.png
$IM "$T/clear.png" PNG32:png-rgba.png
$IM "$T/base.ppm" -depth 16 PNG48:png-16bit.png
$IM "$T/base.ppm" -interlace PNG PNG24:png-interlaced.png
$IM "$T/turned.ppm" PNG24:"$T/turned.png"
$IM "$T/base.ppm" -profile $ICC/srgb.icc -profile $ICC/rommrgb.icc PNG24:png-prophoto.png

# WebP: lossy, lossless, with transparency, animated (the first frame counts), Exif-turned, profiled.
cwebp -quiet -q 95 "$T/clear.png" -o "$T/clear-lossy.webp"
$IM "$T/base.ppm" PNG24:"$T/base.png"
cwebp -quiet -q 95 "$T/base.png" -o webp-lossy.webp
cwebp -quiet -lossless "$T/base.png" -o webp-lossless.webp
cwebp -quiet -lossless -exact "$T/clear.png" -o webp-alpha.webp
$IM -size 48x32 xc:black "$T/black.png"
img2webp -lossless "$T/base.png" -d 100 "$T/black.png" -o webp-animated.webp >/dev/null
cwebp -quiet -lossless "$T/turned.png" -o "$T/turned.webp"
$IM "$T/base.ppm" -profile $ICC/srgb.icc -profile $ICC/a98.icc PNG24:"$T/adobe.png"
cwebp -quiet -lossless "$T/adobe.png" -o "$T/adobe.webp"
webpmux -set icc $ICC/a98.icc "$T/adobe.webp" -o webp-adobe.webp

# HEIC (HEVC) and AVIF (AV1), lossless-ish so that the colours stay near the pattern.
heif-enc -q 95 "$T/base.png" -o heic.heic >/dev/null
avifenc --min 0 --max 8 -y 444 -s 8 "$T/base.png" avif.avif >/dev/null

# TIFF: 8 and 16 bits, grey, palette, CMYK, LZW, turned by its orientation tag, an Adobe RGB profile.
$IM "$T/base.ppm" -depth 8 -compress None TIFF:tiff-rgb8.tif
$IM "$T/base.ppm" -depth 16 -compress Zip TIFF:tiff-rgb16.tif
$IM "$T/base.ppm" -colorspace Gray -depth 8 TIFF:tiff-grey.tif
$IM "$T/base.ppm" -colors 4 -type Palette TIFF:tiff-palette.tif
$IM "$T/base.ppm" -colorspace CMYK -depth 8 TIFF:tiff-cmyk.tif
$IM "$T/turned.ppm" -depth 8 -compress LZW TIFF:tiff-turned.tif
tiffset -s 274 6 tiff-turned.tif
$IM "$T/base.ppm" -profile $ICC/srgb.icc -profile $ICC/a98.icc -depth 8 TIFF:tiff-adobe.tif

# JPEG: an Adobe RGB camera picture with Exif (a GPS position, a serial number) and a
# CMYK one with its profile.
$IM "$T/base.ppm" -profile $ICC/srgb.icc -profile $ICC/a98.icc -quality 98 -sampling-factor 1x1 "$T/adobe.jpg"
$IM "$T/base.ppm" -profile $ICC/srgb.icc -profile $ICC/ps_cmyk.icc -quality 98 jpeg-cmyk-profiled.jpg

/usr/bin/python3 - "$T" <<'PY'
import struct, sys, zlib
t = sys.argv[1]
def u16(v): return struct.pack('>H', v)
def u32(v): return struct.pack('>I', v)
# Exif (big-endian TIFF): orientation, a serial number and a GPS position, as cameras write them.
serial = b'SN-4711-QM\0'
gps = u16(2) + struct.pack('>HHI', 1, 2, 2) + b'N\0\0\0' + struct.pack('>HHII', 2, 5, 3, 0) + b'\0\0\0\0'
ifd0_entries = 4
ifd0_end = 8 + 2 + ifd0_entries * 12 + 4
gps_at = ifd0_end + len(serial)
lat_at = gps_at + len(gps)
gps = gps[:2 + 12 + 8] + u32(lat_at) + gps[2 + 24:]
tiff = b'MM\0\x2a' + u32(8) + u16(ifd0_entries)
tiff += struct.pack('>HHIHH', 0x0112, 3, 1, 6, 0)
tiff += struct.pack('>HHII', 0xA431, 2, len(serial), ifd0_end)
tiff += struct.pack('>HHII', 0x8825, 4, 1, gps_at)
tiff += struct.pack('>HHII', 0x0131, 2, 4, int.from_bytes(b'cam\0', 'big'))
tiff += u32(0) + serial + gps + struct.pack('>IIIIII', 52, 1, 31, 1, 0, 1)
exif = b'Exif\0\0' + tiff
def chunk(kind, data): return u32(len(data)) + kind + data + u32(zlib.crc32(kind + data))
# PNG: the turned picture with its eXIf chunk (orientation 6) and a text chunk.
png = open(f'{t}/turned.png', 'rb').read()
open('png-exif-turned.png', 'wb').write(png[:33] + chunk(b'eXIf', tiff) + chunk(b'tEXt', b'Author\0Someone') + png[33:])
# WebP: the turned picture with an EXIF chunk and the VP8X flag that announces it.
w = open(f'{t}/turned.webp', 'rb').read()
vp8l = w[12:]
width, height = 32, 48
vp8x = b'VP8X' + u32(10)[::-1] + bytes([0x08, 0, 0, 0]) + (width - 1).to_bytes(3, 'little') + (height - 1).to_bytes(3, 'little')
exifchunk = b'EXIF' + struct.pack('<I', len(tiff)) + tiff + (b'\0' if len(tiff) % 2 else b'')
body = b'WEBP' + vp8x + vp8l + exifchunk
open('webp-exif-turned.webp', 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
# JPEG: the Adobe RGB picture turned back by nothing, with the camera's Exif after SOI.
j = open(f'{t}/adobe.jpg', 'rb').read()
exif = b'Exif\0\0' + tiff.replace(struct.pack('>HHIHH', 0x0112, 3, 1, 6, 0), struct.pack('>HHIHH', 0x0112, 3, 1, 1, 0))
open('jpeg-adobe-exif.jpg', 'wb').write(j[:2] + b'\xff\xe1' + u16(len(exif) + 2) + exif + j[2:])
PY
ls -l "$HERE" | awk 'NR > 1 { s += $5 } END { print s " bytes" }'
