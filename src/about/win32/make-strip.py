#!/usr/bin/env python3
"""Draws the picture strip on the left of the About and news windows: a 101 x 360 24-bit BMP.

A night-blue to teal gradient, a few faint diagonal lines and a ring, the program's initial.
Usage: make-strip.py OUTPUT.bmp
"""

import math
import struct
import sys

WIDTH, HEIGHT = 101, 360
TOP, BOTTOM = (27, 42, 73), (46, 125, 140)
RING_X, RING_Y, RING_R, RING_W = 50.5, 62.0, 24.0, 5.0


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def pixel(x, y):
    colour = mix(TOP, BOTTOM, y / (HEIGHT - 1))
    # Faint lines rising to the right, every 36 pixels.
    if (x + y) % 36 in (0, 1):
        colour = mix(colour, (255, 255, 255), 0.08)
    # The ring, its edges smoothed over one pixel.
    d = abs(math.hypot(x + 0.5 - RING_X, y + 0.5 - RING_Y) - RING_R)
    cover = max(0.0, min(1.0, RING_W / 2 + 0.5 - d))
    if cover:
        colour = mix(colour, (236, 244, 246), 0.9 * cover)
    return colour


def main(path):
    row_size = (WIDTH * 3 + 3) & ~3
    data = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        data += row + b"\0" * (row_size - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)))
        out.write(header + data)


if __name__ == "__main__":
    main(sys.argv[1])
