#!/usr/bin/env python3
"""Draws the navigation bar's back arrow into resources/VOZUV.bundle (12 x 22 pt at @2x).

Plain Python (zlib + struct): a dark chevron given by its distance to two strokes, sampled
4 x 4 per pixel for smooth edges, on a transparent background.
"""

import os

from pngdraw import png, segment

W, H = 24, 44  # pixels (@2x)
SAMPLES = 4
COLOUR = (51, 51, 51)


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
