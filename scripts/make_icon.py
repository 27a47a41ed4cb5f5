#!/usr/bin/env python3
"""Draws the program icon (a sampled curve on a small plot) as 32x32 and
16x16 PNG files in resources/.  Pure Python, so that the icon can be
redrawn anywhere: python3 scripts/make_icon.py"""
import math
import os
import struct
import zlib

FRAME = (40, 48, 72, 255)      # dark blue-grey border of the plot
PAPER = (250, 250, 244, 255)   # the plot area
GRID = (208, 214, 226, 255)    # light grid lines
AXIS = (96, 104, 128, 255)     # the zero line
CURVE = (200, 40, 40, 255)     # the curve
DOT = (24, 96, 200, 255)       # its samples
CLEAR = (0, 0, 0, 0)


def draw(size):
    px = [[CLEAR] * size for _ in range(size)]
    m = 1 if size <= 16 else 2  # margin
    for y in range(m, size - m):
        for x in range(m, size - m):
            edge = x in (m, size - m - 1) or y in (m, size - m - 1)
            px[y][x] = FRAME if edge else PAPER
    step = 4 if size <= 16 else 6
    for g in range(m + step, size - m - 1, step):
        for t in range(m + 1, size - m - 1):
            px[g][t] = GRID
            px[t][g] = GRID
    mid = size // 2
    for x in range(m + 1, size - m - 1):
        px[mid][x] = AXIS
    # A damped wave across the plot, drawn as a connected line.
    inner = size - 2 * m - 3
    amp = (size - 2 * m - 4) / 2.0

    def yof(x):
        t = (x - m - 1) / inner
        return mid - amp * math.exp(-1.2 * t) * math.sin(2.0 * math.pi * 1.25 * t + 0.3)

    prev = None
    for x in range(m + 1, size - m - 1):
        y = int(round(yof(x)))
        lo, hi = (y, y) if prev is None else (min(prev, y), max(prev, y))
        for yy in range(lo, hi + 1):
            if m < yy < size - m - 1:
                px[yy][x] = CURVE
        prev = y
    if size > 16:  # sample dots only where there is room
        for x in range(m + 3, size - m - 2, 5):
            y = int(round(yof(x)))
            for dx, dy in ((0, 0), (1, 0), (0, 1), (1, 1)):
                if m < y + dy < size - m - 1 and m < x + dx < size - m - 1:
                    px[y + dy][x + dx] = DOT
    return px


def png(px):
    h, w = len(px), len(px[0])
    raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in px)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    head = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    for size in (16, 32):
        with open(os.path.join(out, "PROGRAM_ICON-%d.png" % size), "wb") as f:
            f.write(png(draw(size)))


if __name__ == "__main__":
    main()
