#!/usr/bin/env python3
"""Draws the payment screens' pictures into resources/VOZUV.bundle (@2x).

Plain Python (zlib + struct), shapes sampled 4 x 4 per pixel for smooth edges:
- vor_pay_titleIcon: a gold coin (the payment centre's title);
- vor_pay_btnSelectedBg / vor_pay_btnNormalBg: the chosen and unchosen pay-way marks;
- vor_pay_wallet, vor_pay_wx, vor_pay_ptb, vor_pay_djq, vor_pay_xin: pay-way tiles.
(The avatar placeholder vx_noPic comes from make-login-images.py.)
"""

import math
import os
import struct
import zlib

SAMPLES = 4
OUT = os.path.join(os.path.dirname(__file__), "..", "resources", "VOZUV.bundle")


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def draw(size, layers):
    """layers: list of (inside(x, y) -> bool, (r, g, b)); later layers paint over earlier ones."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for inside, rgb in layers:
                        if inside(x, y):
                            colour = rgb
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = SAMPLES * SAMPLES
            a = acc[3]
            if a == 0:
                row += [0, 0, 0, 0]
            else:
                row += [round(acc[0] / a), round(acc[1] / a), round(acc[2] / a), round(255 * a / n)]
        rows.append(row)
    return png(size, size, rows)


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 <= math.hypot(x - cx, y - cy) <= r1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return math.hypot(x - cx, y - cy) <= r
    return inside


def check(x, y):
    # Two strokes of a tick.
    def near(ax, ay, bx, by, w):
        dx, dy = bx - ax, by - ay
        t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= w
    return near(0.28, 0.52, 0.44, 0.68, 0.06) or near(0.44, 0.68, 0.74, 0.34, 0.06)


WHITE = (255, 255, 255)
PICTURES = {
    "vor_pay_titleIcon": (40, [(disc(0.5, 0.5, 0.48), (240, 170, 30)), (ring(0.5, 0.5, 0.30, 0.36), (255, 230, 140))]),
    "vor_pay_btnSelectedBg": (44, [(disc(0.5, 0.5, 0.45), (48, 146, 246)), (check, WHITE)]),
    "vor_pay_btnNormalBg": (44, [(ring(0.5, 0.5, 0.38, 0.45), (190, 190, 190))]),
    "vor_pay_wallet": (60, [(rounded(0.04, 0.04, 0.96, 0.96, 0.2), (22, 119, 255)),
                            (rounded(0.22, 0.32, 0.78, 0.72, 0.08), WHITE), (disc(0.66, 0.52, 0.06), (22, 119, 255))]),
    "vor_pay_wx": (60, [(rounded(0.04, 0.04, 0.96, 0.96, 0.2), (9, 187, 7)),
                        (disc(0.42, 0.44, 0.2), WHITE), (disc(0.62, 0.6, 0.16), (230, 250, 230))]),
    "vor_pay_ptb": (60, [(rounded(0.04, 0.04, 0.96, 0.96, 0.2), (240, 150, 20)),
                         (disc(0.5, 0.5, 0.28), (255, 220, 120)), (ring(0.5, 0.5, 0.16, 0.2), (240, 150, 20))]),
    "vor_pay_djq": (60, [(rounded(0.04, 0.04, 0.96, 0.96, 0.2), (246, 80, 60)),
                         (rounded(0.2, 0.3, 0.8, 0.7, 0.06), WHITE), (disc(0.2, 0.5, 0.08), (246, 80, 60)),
                         (disc(0.8, 0.5, 0.08), (246, 80, 60))]),
    "vor_pay_xin": (60, [(rounded(0.04, 0.04, 0.96, 0.96, 0.2), (130, 80, 220)),
                         (lambda x, y: star(x, y), (255, 230, 90))]),
}


def star(x, y):
    cx, cy = 0.5, 0.52
    a = math.atan2(y - cy, x - cx)
    r = math.hypot(x - cx, y - cy)
    # Radius of a five-pointed star at this angle.
    k = (a + math.pi / 2) % (2 * math.pi / 5) / (2 * math.pi / 5)
    edge = 0.32 - 0.17 * (1 - abs(2 * k - 1))
    return r <= edge


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, (size, layers) in PICTURES.items():
        with open(os.path.join(OUT, name + "@2x.png"), "wb") as f:
            f.write(draw(size, layers))


if __name__ == "__main__":
    main()
