#!/usr/bin/env python3
"""Writes a tiny icon (one 16x16 32-bit image, a coloured square) for the tests of
the icon option: make_icon.py OUT.ico"""

import struct
import sys


def icon_bytes(size=16):
    pixels = bytearray()
    for y in range(size):
        for x in range(size):
            edge = x in (0, size - 1) or y in (0, size - 1)
            pixels += bytes((40, 40, 40, 255) if edge else (30, 140, 230, 255))  # BGRA
    mask = bytes(((size + 31) // 32) * 4 * size)  # AND mask: all opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + bytes(pixels) + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(icon_bytes())
