#!/usr/bin/env python3
"""Draws the login screens' and the user centre's small pictures into resources/VOZUV.bundle (@2x).

Plain Python (zlib + struct): each picture is a few shapes given by signed distance functions,
sampled 4 x 4 per pixel for smooth edges, on a transparent background.
"""

import math
import os
import struct
import zlib

SAMPLES = 4
BLUE = (73, 136, 253)
GREY = (153, 153, 153)
LIGHT = (220, 220, 220)
WHITE = (255, 255, 255)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, w):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - w / 2


def box(x0, y0, x1, y1, r=0):
    def d(x, y):
        qx = max(x0 + r - x, 0, x - (x1 - r))
        qy = max(y0 + r - y, 0, y - (y1 - r))
        inside = min(max(x0 + r - x, x - (x1 - r), y0 + r - y, y - (y1 - r)), 0)
        return math.hypot(qx, qy) + inside - r
    return d


def frame(x0, y0, x1, y1, r, w):
    outer, inner = box(x0, y0, x1, y1, r), box(x0 + w, y0 + w, x1 - w, y1 - w, max(r - w, 0))
    return lambda x, y: max(outer(x, y), -inner(x, y))


def segment(x0, y0, x1, y1, w):
    def d(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - w / 2
    return d


def ellipse(cx, cy, rx, ry):
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1) * min(rx, ry)


def draw(width, height, layers):
    """layers: (shape, colour) back to front; colour with alpha 255."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x, y = px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES
                    colour = None
                    for shape, c in layers:
                        if shape(x, y) <= 0:
                            colour = c
                    if colour:
                        acc[0] += colour[0]; acc[1] += colour[1]; acc[2] += colour[2]; acc[3] += 1
            n = SAMPLES * SAMPLES
            if acc[3]:
                row += [round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(255 * acc[3] / n)]
            else:
                row += [0, 0, 0, 0]
        rows.append(row)
    return rows


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def tick(colour):
    return [(segment(9, 20, 16, 27, 4), colour), (segment(16, 27, 29, 12, 4), colour)]


def eye(open_):
    layers = [(lambda x, y: max(ellipse(20, 20, 16, 9)(x, y), -ellipse(20, 20, 13, 6.5)(x, y)), GREY)]
    if open_:
        layers.append((circle(20, 20, 5), GREY))
    else:
        layers.append((segment(7, 31, 33, 9, 3), GREY))
    return layers


def tab_icon(kind, colour):
    # 50 x 50 px: mine (a person), welfare (a gift), task (a list), strategy (a book), service (a headset)
    if kind == "one":
        return [(circle(25, 17, 8), colour), (lambda x, y: max(ellipse(25, 42, 15, 11)(x, y), y - 42), colour)]
    if kind == "two":
        return [(box(9, 20, 41, 42, 3), colour), (box(6, 14, 44, 21, 2), colour),
                (box(23, 14, 27, 42), WHITE), (ring(19, 10, 4, 3), colour), (ring(31, 10, 4, 3), colour)]
    if kind == "three":
        return [(frame(9, 6, 41, 44, 4, 3), colour), (segment(16, 17, 34, 17, 3), colour),
                (segment(16, 25, 34, 25, 3), colour), (segment(16, 33, 28, 33, 3), colour)]
    if kind == "four":
        return [(frame(7, 9, 25, 41, 3, 3), colour), (frame(25, 9, 43, 41, 3, 3), colour),
                (segment(25, 10, 25, 40, 3), colour)]
    return [(ring(25, 26, 14, 3.5), colour), (box(8, 24, 14, 38, 2), colour), (box(36, 24, 42, 38, 2), colour)]


PICTURES = {
    # agreement check box: 20 x 20 pt
    "vx_check_normal@2x.png": (40, 40, [(frame(3, 3, 37, 37, 6, 3), GREY)]),
    "vx_check_selected@2x.png": (40, 40, [(box(3, 3, 37, 37, 6), BLUE)] + tick(WHITE)),
    # show-password eye: 20 x 20 pt
    "vx_eye_close@2x.png": (40, 40, eye(False)),
    "vx_eye_open@2x.png": (40, 40, eye(True)),
    # head placeholder: 50 x 50 pt
    "vx_noPic@2x.png": (100, 100, [(circle(50, 50, 49), LIGHT), (circle(50, 38, 17), WHITE),
                                   (lambda x, y: max(ellipse(50, 88, 30, 24)(x, y), circle(50, 50, 49)(x, y)), WHITE)]),
    # web page's "open in browser": 25 x 25 pt
    "vx_tab_webMore@2x.png": (50, 50, [(circle(12, 25, 4), (51, 51, 51)), (circle(25, 25, 4), (51, 51, 51)),
                                       (circle(38, 25, 4), (51, 51, 51))]),
}
for kind in ("one", "two", "three", "four", "five"):
    PICTURES[f"vx_tabbar_{kind}0@2x.png"] = (50, 50, tab_icon(kind, GREY))
    PICTURES[f"vx_tabbar_{kind}1@2x.png"] = (50, 50, tab_icon(kind, BLUE))


def main():
    folder = os.path.join(os.path.dirname(__file__), "..", "resources", "VOZUV.bundle")
    for name, (w, h, layers) in PICTURES.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(png(w, h, draw(w, h, layers)))


if __name__ == "__main__":
    main()
