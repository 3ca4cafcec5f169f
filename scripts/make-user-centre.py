#!/usr/bin/env python3
"""Draws the user centre's pictures into resources/VOZUV.bundle (all @2x):
the mine page's entries, switches and arrows, the game placeholder and the sub-account arrow.

Plain Python (zlib + struct). Each picture is a list of shapes given by a signed distance (negative
inside); pixels are sampled 4 x 4 for smooth edges.
"""

import math
import os
import struct
import zlib

SAMPLES = 4
OUT = os.path.join(os.path.dirname(__file__), "..", "resources", "VOZUV.bundle")
PURPLE = (97, 55, 231)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


# --- shapes: functions (x, y) -> signed distance in pixels ---
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, w):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - w / 2


def rect(x0, y0, x1, y1, radius=0):
    def d(x, y):
        qx = abs(x - (x0 + x1) / 2) - ((x1 - x0) / 2 - radius)
        qy = abs(y - (y0 + y1) / 2) - ((y1 - y0) / 2 - radius)
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius
    return d


def outline(x0, y0, x1, y1, radius, w):
    inner = rect(x0, y0, x1, y1, radius)
    return lambda x, y: abs(inner(x, y)) - w / 2


def segment(x0, y0, x1, y1, w):
    def d(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - w / 2
    return d


def half(shape, below):
    """The part of the shape below (or above) the line y = below."""
    return lambda x, y: shape(x, y) if y >= below else 1e9


def draw(name, w, h, layers, background=None):
    """layers: list of (colour, [shapes]); later layers paint over earlier ones."""
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x, y = px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES
                    colour, alpha = background, 1.0 if background else 0.0
                    for c, shapes in layers:
                        if any(s(x, y) <= 0 for s in shapes):
                            colour, alpha = c[:3], (c[3] / 255 if len(c) > 3 else 1.0)
                    if colour is not None and alpha > 0:
                        for i in range(3):
                            acc[i] += colour[i] * alpha
                        acc[3] += alpha
            n = SAMPLES * SAMPLES
            a = acc[3] / n
            row += [round(acc[i] / acc[3]) if acc[3] else 0 for i in range(3)] + [round(255 * a)]
        rows.append(row)
    with open(os.path.join(OUT, name + "@2x.png"), "wb") as f:
        f.write(png(w, h, rows))


def mine_page():
    # Game icon placeholder (60 x 60 pt): a rounded grey tile with a controller shape.
    draw("vx_tab_gamePlace", 120, 120, [((232, 232, 236), [rect(0, 0, 120, 120, 24)]),
                                        ((200, 200, 208), [rect(28, 46, 92, 78, 16)]),
                                        ((232, 232, 236), [segment(42, 62, 54, 62, 5), segment(48, 56, 48, 68, 5),
                                                           circle(76, 58, 4), circle(70, 67, 4)])])
    # The sub-account row's arrow (12 x 12 pt), pointing right; the row turns it down when expanded.
    draw("vx_login_subArrow", 24, 24, [(PURPLE, [segment(8, 5, 16, 12, 3), segment(16, 12, 8, 19, 3)])])
    # Row arrow (7 x 12 pt).
    draw("vx_su_arrow", 14, 24, [((190, 190, 190), [segment(3, 3, 11, 12, 2.5), segment(11, 12, 3, 21, 2.5)])])
    # Switch (44 x 24 pt), on and off.
    draw("vx_su_switch_on", 88, 48, [(PURPLE, [rect(2, 2, 86, 46, 22)]), ((255, 255, 255), [circle(64, 24, 18)])])
    draw("vx_su_switch_off", 88, 48, [((215, 215, 220), [rect(2, 2, 86, 46, 22)]), ((255, 255, 255), [circle(24, 24, 18)])])
    # The four entries (30 x 30 pt): box, messages, service, bookings.
    tile = lambda colour, shapes: [(colour, [rect(0, 0, 60, 60, 16)]), ((255, 255, 255), shapes)]
    draw("vx_su_box", 60, 60, tile((255, 152, 60), [outline(16, 22, 44, 44, 3, 4), segment(16, 22, 30, 14, 4),
                                                      segment(30, 14, 44, 22, 4), segment(30, 28, 30, 38, 4)]))
    draw("vx_su_msg", 60, 60, tile((73, 136, 253), [outline(14, 18, 46, 42, 4, 4), segment(16, 21, 30, 31, 4),
                                                      segment(30, 31, 44, 21, 4)]))
    draw("vx_su_kefu", 60, 60, tile((46, 196, 140), [lambda x, y: ring(30, 31, 13, 4)(x, y) if y <= 32 else 1e9,
                                                       rect(14, 30, 21, 42, 3), rect(39, 30, 46, 42, 3)]))
    draw("vx_su_order", 60, 60, tile(PURPLE, [outline(15, 16, 45, 45, 4, 4), segment(15, 25, 45, 25, 4),
                                               segment(22, 11, 22, 19, 4), segment(38, 11, 38, 19, 4),
                                               segment(23, 35, 28, 40, 3.5), segment(28, 40, 37, 31, 3.5)]))


if __name__ == "__main__":
    mine_page()
