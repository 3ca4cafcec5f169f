#!/usr/bin/env python3
"""Draws the comment bar's sticker images into resources/VOZUV.bundle (32 x 32 pt at @2x).

Plain Python (zlib + struct), no imaging library: each picture is a set of shapes given by
distance functions, sampled 4 x 4 per pixel for smooth edges. The text forms that go with the
images live in widgets/VXSticker.cpp; run this again only when a picture changes.
"""

import math
import os

from pngdraw import circle, png_raw, ring, segment

SIZE = 64  # pixels (@2x of 32 points)
SAMPLES = 4

YELLOW = (255, 204, 51)
OUTLINE = (140, 90, 20)
DARK = (70, 45, 20)
RED = (230, 60, 60)
WHITE = (255, 255, 255)
PINK = (250, 140, 140)


def arc(cx, cy, r, w, lower):
    """A stroke along the lower (or upper) half of a circle."""
    def d(x, y):
        if (y >= cy) == lower:
            return abs(math.hypot(x - cx, y - cy) - r) - w / 2
        ends = [(cx - r, cy), (cx + r, cy)]
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - w / 2
    return d


def half_disc(cx, cy, r):
    """The lower half of a disc: an open laughing mouth."""
    return lambda x, y: max(math.hypot(x - cx, y - cy) - r, cy - y)


def heart(cx, cy, s):
    def d(x, y):
        u = (x - cx) / s
        v = (cy - y) / s + 0.35
        # Implicit heart curve; its value is scaled to behave roughly like a distance near the edge.
        f = (u * u + v * v - 1) ** 3 - u * u * v ** 3
        return f * s * 0.5
    return d


def star(cx, cy, r_out, r_in):
    points = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = r_out if i % 2 == 0 else r_in
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))

    def d(x, y):
        inside = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        edge = min(segment(*points[i], *points[(i + 1) % len(points)], 0)(x, y) for i in range(len(points)))
        return -edge if inside else edge
    return d


def face(extra, colour=YELLOW):
    return [(circle(32, 32, 28), colour), (ring(32, 32, 28, 3), OUTLINE)] + extra


EYES = [(circle(22, 25, 4), DARK), (circle(42, 25, 4), DARK)]

STICKERS = {
    "vx_sticker_smile": face(EYES + [(arc(32, 34, 13, 4, True), DARK)]),
    "vx_sticker_laugh": face(EYES + [(half_disc(32, 36, 14), DARK), (half_disc(32, 36, 9), PINK)]),
    "vx_sticker_sad": face(EYES + [(arc(32, 52, 12, 4, False), DARK)]),
    "vx_sticker_surprised": face(EYES + [(ring(32, 44, 7, 4), DARK)]),
    "vx_sticker_wink": face([(circle(22, 25, 4), DARK), (segment(37, 26, 47, 26, 4), DARK),
                             (arc(32, 34, 13, 4, True), DARK)]),
    "vx_sticker_angry": face([(segment(15, 17, 27, 22, 4), DARK), (segment(37, 22, 49, 17, 4), DARK)] + EYES
                             + [(arc(32, 52, 12, 4, False), DARK)], colour=(250, 120, 80)),
    "vx_sticker_heart": [(heart(32, 30, 20), RED)],
    "vx_sticker_star": [(star(32, 34, 28, 12), YELLOW)],
}


def coverage(shape, px, py):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES
            y = py + (sy + 0.5) / SAMPLES
            if shape(x, y) <= 0:
                hits += 1
    return hits / (SAMPLES * SAMPLES)


def render(layers):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter: none
        for px in range(SIZE):
            r = g = b = a = 0.0  # premultiplied while compositing
            for shape, colour in layers:
                c = coverage(shape, px, py)
                if c == 0:
                    continue
                r = colour[0] * c + r * (1 - c)
                g = colour[1] * c + g * (1 - c)
                b = colour[2] * c + b * (1 - c)
                a = c + a * (1 - c)
            if a > 0:
                row += bytes([round(r / a), round(g / a), round(b / a), round(a * 255)])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = os.path.join(root, "resources", "VOZUV.bundle")
    os.makedirs(folder, exist_ok=True)
    for name, layers in STICKERS.items():
        with open(os.path.join(folder, name + "@2x.png"), "wb") as out:
            out.write(png_raw(SIZE, SIZE, render(layers)))


if __name__ == "__main__":
    main()
