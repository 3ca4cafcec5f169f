#!/usr/bin/env python3
"""Draws the welfare tab's pictures into resources/VOZUV.bundle (@2x):

- vx_tab_noPic: the empty-list picture, 120 x 95 pt: a pale card with text lines and a round badge;
- vx_server_point: the server list's dot, 10 x 10 pt, black (the cell tints it as a template).

Plain Python (zlib + struct): shapes given by signed distances, sampled 4 x 4 per pixel.
"""

import math
import os
import struct
import zlib

SAMPLES = 4


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def rounded_rect(x0, y0, x1, y1, r):
    def d(x, y):
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return d


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def render(w, h, layers):
    """layers: list of (distance function, (r, g, b, a)); later layers paint over earlier ones."""
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x, y = px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES
                    colour = None
                    for shape, c in layers:
                        if shape(x, y) <= 0:
                            colour = c
                    if colour:
                        a = colour[3] / 255
                        for i in range(3):
                            acc[i] += colour[i] * a
                        acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                row += [round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(255 * alpha)]
            else:
                row += [0, 0, 0, 0]
        rows.append(row)
    return png(w, h, rows)


def no_pic():
    w, h = 240, 190
    card, line, accent = (236, 238, 244, 255), (206, 211, 224, 255), (97, 55, 231, 255)
    layers = [
        (rounded_rect(50, 20, 190, 180, 14), card),
        (rounded_rect(74, 56, 166, 68, 6), line),
        (rounded_rect(74, 86, 150, 98, 6), line),
        (rounded_rect(74, 116, 158, 128, 6), line),
        (circle(182, 40, 26), (255, 255, 255, 255)),
        (circle(182, 40, 22), accent),
        (rounded_rect(170, 37, 194, 43, 3), (255, 255, 255, 255)),
    ]
    return render(w, h, layers)


def server_point():
    return render(20, 20, [(circle(10, 10, 7), (0, 0, 0, 255))])


def main():
    folder = os.path.join(os.path.dirname(__file__), "..", "resources", "VOZUV.bundle")
    for name, data in (("vx_tab_noPic@2x.png", no_pic()), ("vx_server_point@2x.png", server_point())):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
