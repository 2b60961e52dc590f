#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the pictures of the help document as PNG files (standard library only).

Run once when a picture changes; the PNG files are kept in the repository."""
import struct
import sys
import zlib


def png(width, height, pixel):
    rows = b""
    for y in range(height):
        rows += b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def logo(x, y):
    """A sheet of paper with a grey diagonal watermark band, on a light blue ground."""
    if 12 <= x < 52 and 6 <= y < 58:
        if x in (12, 51) or y in (6, 57):
            return (64, 64, 64)
        if abs((x - 12) - (57 - y)) <= 3:
            return (150, 150, 150)
        if y % 6 == 0 and 16 <= x < 48:
            return (200, 200, 220)
        return (255, 255, 255)
    return (214, 228, 245)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "images/stampwell.png"
    with open(out, "wb") as f:
        f.write(png(64, 64, logo))
