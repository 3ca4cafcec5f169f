#!/usr/bin/env python3
"""Draws the navigation bar's back arrow into resources/VOZUV.bundle (12 x 22 pt at @2x).

Plain Python (zlib + struct): a dark chevron given by its distance to two strokes, sampled
4 x 4 per pixel for smooth edges, on a transparent background.
"""

import math
import os
import struct
import zlib

W, H = 24, 44  # pixels (@2x)
SAMPLES = 4
COLOUR = (51, 51, 51)


def segment(x0, y0, x1, y1, w):
    def d(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - w / 2
    return d


STROKES = [segment(19, 4, 5, 22, 4), segment(5, 22, 19, 40, 4)]


def coverage(px, py):
    inside = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES
            y = py + (sy + 0.5) / SAMPLES
            if min(s(x, y) for s in STROKES) <= 0:
                inside += 1
    return inside / (SAMPLES * SAMPLES)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    rows = []
    for y in range(H):
        row = []
        for x in range(W):
            row += [*COLOUR, round(255 * coverage(x, y))]
        rows.append(row)
    out = os.path.join(os.path.dirname(__file__), "..", "resources", "VOZUV.bundle", "VX_nav_back@2x.png")
    with open(out, "wb") as f:
        f.write(png(W, H, rows))


if __name__ == "__main__":
    main()
