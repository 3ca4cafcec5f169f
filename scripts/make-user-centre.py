#!/usr/bin/env python3
"""Draws the user centre's pictures into resources/VOZUV.bundle (all @2x):
the mine page's entries, switches and arrows, the game placeholder and the sub-account arrow.

Plain Python (zlib + struct). Each picture is a list of shapes given by a signed distance (negative
inside); pixels are sampled 4 x 4 for smooth edges.
"""

import math
import os

from pngdraw import circle, paint, png, ring, segment

OUT = os.path.join(os.path.dirname(__file__), "..", "resources", "VOZUV.bundle")
PURPLE = (97, 55, 231)


# --- shapes: functions (x, y) -> signed distance in pixels ---
def rect(x0, y0, x1, y1, radius=0):
    def d(x, y):
        qx = abs(x - (x0 + x1) / 2) - ((x1 - x0) / 2 - radius)
        qy = abs(y - (y0 + y1) / 2) - ((y1 - y0) / 2 - radius)
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius
    return d


def outline(x0, y0, x1, y1, radius, w):
    inner = rect(x0, y0, x1, y1, radius)
    return lambda x, y: abs(inner(x, y)) - w / 2


def half(shape, below):
    """The part of the shape below (or above) the line y = below."""
    return lambda x, y: shape(x, y) if y >= below else 1e9


def draw(name, w, h, layers, background=None):
    """layers: list of (colour, [shapes]); later layers paint over earlier ones."""
    painted = [(lambda x, y: -1, background)] if background else []
    painted += [(lambda x, y, shapes=shapes: min(shape(x, y) for shape in shapes), c) for c, shapes in layers]
    with open(os.path.join(OUT, name + "@2x.png"), "wb") as f:
        f.write(png(w, h, paint(w, h, painted)))


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
