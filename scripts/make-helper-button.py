#!/usr/bin/env python3
"""Draws the floating button's three looks into resources/VOZUV.bundle (50 x 50 pt at @2x).

Plain Python (zlib + struct): a blue disc with a white ring, sampled 4 x 4 per pixel for smooth
edges. The docked looks dim the half that sits outside the screen edge.
"""

import math
import os

from pngdraw import png

SIZE = 100  # pixels (@2x)
SAMPLES = 4
DISC = (38, 120, 230)
RING = (255, 255, 255)


def pixel(px, py, dim):
    c = SIZE / 2
    disc = ring = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES - c
            y = py + (sy + 0.5) / SAMPLES - c
            r = math.hypot(x, y)
            if r <= c - 1:
                disc += 1
                if c * 0.45 <= r <= c * 0.6:
                    ring += 1
    n = SAMPLES * SAMPLES
    if disc == 0:
        return [0, 0, 0, 0]
    t = ring / disc
    colour = [round(DISC[i] * (1 - t) + RING[i] * t) for i in range(3)]
    alpha = 255 * disc / n
    if dim(px):
        alpha *= 0.45
    return colour + [round(alpha)]


def draw(name, dim):
    rows = [sum((pixel(x, y, dim) for x in range(SIZE)), []) for y in range(SIZE)]
    out = os.path.join(os.path.dirname(__file__), "..", "resources", "VOZUV.bundle", name)
    with open(out, "wb") as f:
        f.write(png(SIZE, SIZE, rows))


def main():
    draw("vx_suIcon_center@2x.png", lambda x: False)
    draw("vx_suIcon_right@2x.png", lambda x: x >= SIZE / 2)
    draw("vx_suIcon_left@2x.png", lambda x: x < SIZE / 2)


if __name__ == "__main__":
    main()
