#!/usr/bin/env python3
"""Writes the two small movie files delivered with the web player.

The published pages still name foldreel.swf and expressinstall.swf (the player
itself is swfobject.js), and the readme lists them, so both ship as minimal,
well-formed movies of our own: an uncompressed header, one empty frame, the end tag.

    python3 scripts/make-movies.py [OUTPUT_FOLDER]     (default: data/player)

Layout written, all numbers little-endian:
    "FWS", version (1 byte), total file length (4 bytes),
    frame rectangle (5-bit field size, then x min, x max, y min, y max in twips,
    bit-packed and padded to a whole byte),
    frame rate (8.8 fixed point, 2 bytes), frame count (2 bytes),
    ShowFrame tag (code 1, no body), End tag (code 0).
"""

import os
import struct
import sys

VERSION = 9
TWIPS_PER_PIXEL = 20

# name, width and height in pixels, frames per second
MOVIES = [
    ("foldreel.swf", 892, 375, 30),
    ("expressinstall.swf", 215, 138, 12),
]

TAG_END = 0
TAG_SHOW_FRAME = 1


def signed_bits(value):
    """Bits a signed bit field needs to hold value."""
    bits = 1
    while not (-(1 << (bits - 1)) <= value < (1 << (bits - 1))):
        bits += 1
    return bits


def rect(x_min, x_max, y_min, y_max):
    values = [x_min, x_max, y_min, y_max]
    nbits = max(signed_bits(v) for v in values)
    if nbits > 31:
        raise ValueError("frame rectangle too large")
    fields = [(nbits, 5)] + [(v & ((1 << nbits) - 1), nbits) for v in values]
    acc, count = 0, 0
    for value, width in fields:
        acc = (acc << width) | value
        count += width
    pad = (-count) % 8
    acc <<= pad
    return acc.to_bytes((count + pad) // 8, "big")


def tag(code, body=b""):
    if len(body) >= 0x3F:
        raise ValueError("long tags are not needed here")
    return struct.pack("<H", (code << 6) | len(body)) + body


def movie(width, height, fps, version=VERSION):
    body = rect(0, width * TWIPS_PER_PIXEL, 0, height * TWIPS_PER_PIXEL)
    body += struct.pack("<BB", 0, fps)  # 8.8 fixed point: fraction byte, then whole byte
    body += struct.pack("<H", 1)         # one frame
    body += tag(TAG_SHOW_FRAME) + tag(TAG_END)
    length = 8 + len(body)
    return b"FWS" + struct.pack("<BI", version, length) + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "player")
    os.makedirs(folder, exist_ok=True)
    for name, width, height, fps in MOVIES:
        data = movie(width, height, fps)
        path = os.path.join(folder, name)
        with open(path, "wb") as out:
            out.write(data)
        print(f"{path}: {len(data)} bytes, {width} x {height}, {fps} fps")


if __name__ == "__main__":
    main()
