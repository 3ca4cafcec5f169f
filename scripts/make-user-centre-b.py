#!/usr/bin/env python3
"""Draws the pictures of the strategy comments, coupon and bill screens into resources/VOZUV.bundle
(@2x), and the remote badge pictures the screen tests serve from the stand-in server.

Plain Python (zlib + struct): each picture is a list of shapes given by their coverage of a point,
sampled 3 x 3 per pixel, painted back to front on a transparent background. Words on the pictures
are set by pango-view (the system's own text renderer, Noto Sans CJK) and laid in as a coverage mask.
"""

import math
import os
import struct
import subprocess
import tempfile
import zlib

S = 2  # pixels per point
SAMPLES = 3
ROOT = os.path.join(os.path.dirname(__file__), "..")
BUNDLE = os.path.join(ROOT, "resources", "VOZUV.bundle")
PICTURES = os.path.join(ROOT, "tests", "platform_sdk", "user_center", "pictures")


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def read_png_alpha(path):
    """The alpha channel of an 8-bit RGBA or grey+alpha PNG, as rows of 0..255."""
    data = open(path, "rb").read()
    pos, idat, width, height, kind = 8, b"", 0, 0, 6
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        tag, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and kind in (4, 6), "unexpected PNG format"
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    channels = 4 if kind == 6 else 2
    stride = width * channels
    raw = zlib.decompress(idat)
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind_f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind_f == 1:
                line[i] = (line[i] + a) & 255
            elif kind_f == 2:
                line[i] = (line[i] + b) & 255
            elif kind_f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind_f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([line[x * channels + channels - 1] for x in range(width)])
        prev = line
    return rows


def words(text, font, cx, cy, scale=S):
    """Coverage of `text` set in `font` (a pango description, size in points), centred on (cx, cy)."""
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "t.png")
        subprocess.run(["pango-view", "-q", "--font=" + font, "--text=" + text, "--background=transparent",
                        "--foreground=#000000", "--margin=0", "--dpi=%d" % (72 * scale), "-o", out], check=True)
        mask = read_png_alpha(out)
    h, w = len(mask), len(mask[0])
    x0, y0 = cx - w / scale / 2, cy - h / scale / 2

    def f(x, y):
        px, py = int((x - x0) * scale), int((y - y0) * scale)
        return mask[py][px] / 255 if 0 <= px < w and 0 <= py < h else 0
    return f


# Shapes in points: functions (x, y) -> inside (or a coverage 0..1)?
def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded(x0, y0, x1, y1, r):
    def f(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return f


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def polygon(points):
    def f(x, y):
        inside = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                inside = not inside
        return inside
    return f


def stroke(x0, y0, x1, y1, w):
    def f(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= w / 2
    return f


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def heart(cx, cy, s):
    # The classic implicit heart, s points wide.
    def f(x, y):
        u = (x - cx) / (s / 2.2)
        v = -(y - cy) / (s / 2.2) + 0.25
        return (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0
    return f


def draw(name, w, h, layers, folder=BUNDLE, scale=S):
    """layers: (shape, (r, g, b, a)) back to front."""
    rows = []
    for py in range(h * scale):
        row = []
        for px in range(w * scale):
            r = g = b = a = 0.0
            for shape, (cr, cg, cb, ca) in layers:
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        hits += float(shape((px + (sx + 0.5) / SAMPLES) / scale, (py + (sy + 0.5) / SAMPLES) / scale))
                cov = hits / (SAMPLES * SAMPLES) * ca / 255
                if cov:
                    # "over" in straight alpha
                    na = cov + a * (1 - cov)
                    r = (cr * cov + r * a * (1 - cov)) / na
                    g = (cg * cov + g * a * (1 - cov)) / na
                    b = (cb * cov + b * a * (1 - cov)) / na
                    a = na
            row += [round(r), round(g), round(b), round(a * 255)]
        rows.append(row)
    os.makedirs(folder, exist_ok=True)
    suffix = "@2x.png" if scale == 2 else ".png"
    with open(os.path.join(folder, name + suffix), "wb") as f:
        f.write(png(w * scale, h * scale, rows))


PURPLE = (97, 55, 231, 255)      # 6137E7
BLUE = (73, 88, 167, 255)        # 4958A7
WHITE = (255, 255, 255, 255)
GREY = (190, 192, 198, 255)
DARK = (80, 80, 80, 255)


def main():
    # Coupon centre card, 240 x 100: a purple stub (left cap 36 + stretch) and a white body with a
    # dashed divider and a "claim" pill at the right (right cap 179). The divider and its notches sit
    # wholly inside the right cap (x 61..75), so stretching the stub never draws them out into ovals.
    w, h = 240, 100
    cut = 68  # the divider: 7 pt into the right cap
    notch = lambda cx: circle(cx, 0, 7)
    body = minus(minus(rounded(0, 0, w, h, 8), notch(cut)), circle(cut, h, 7))
    dashes = [rect(cut - 0.5, y, cut + 0.5, y + 4) for y in range(10, 90, 8)]
    draw("vx_su_couponCellBg", w, h,
         [(body, WHITE), (minus(minus(rounded(0, 0, cut, h, 8), notch(cut)), circle(cut, h, 7)), PURPLE)]
         + [(d, (200, 200, 210, 255)) for d in dashes]
         + [(rounded(w - 60, 66, w - 12, 90, 12), PURPLE)])

    # My coupons, 250 x 90: left part (cap 226) with a coloured stub, right cap 18 with a scalloped edge.
    w, h = 250, 90
    for name, colour in (("vx_tab_myCouponBg1", BLUE), ("vx_tab_myCouponBg0", GREY)):
        edge = [circle(w, y, 4) for y in range(6, h, 12)]
        shape = rounded(0, 0, w, h, 6)
        for e in edge:
            shape = minus(shape, e)
        stub = minus(rounded(0, 0, 96, h, 6), circle(96, 0, 6))
        stub = minus(stub, circle(96, h, 6))
        draw(name, w, h, [(shape, WHITE), (stub, colour)])

    # Dropdown arrow, 15 x 15.
    draw("vx_tab_autoArrow", 15, 15, [(stroke(3.5, 5.5, 7.5, 9.5, 1.6), DARK), (stroke(7.5, 9.5, 11.5, 5.5, 1.6), DARK)])

    # Comment rules banner, 375 x 44: a purple band with sparkles.
    w, h = 375, 44
    layers = [(rounded(8, 2, w - 8, h - 2, 10), PURPLE), (rounded(8, 2, w - 8, h / 2, 10), (122, 90, 240, 255))]
    for cx, cy, r in ((40, 14, 4), (70, 30, 3), (300, 12, 3), (330, 28, 5), (355, 14, 2)):
        layers.append((polygon([(cx, cy - r * 2), (cx + r / 2, cy - r / 2), (cx + r * 2, cy), (cx + r / 2, cy + r / 2),
                                 (cx, cy + r * 2), (cx - r / 2, cy + r / 2), (cx - r * 2, cy), (cx - r / 2, cy - r / 2)]),
                       (255, 230, 140, 255)))
    layers.append((words("点评赢金币 · 查看评论规则 >", "Noto Sans CJK SC Bold 13", w / 2, h / 2), WHITE))
    draw("vx_tab_ping_topPic", w, h, layers)

    # Like icons, 16 x 16: an outline heart, a filled one.
    draw("vx_tab_ping_good0", 16, 16, [(minus(heart(8, 8.5, 15), heart(8, 8.3, 11)), (150, 150, 150, 255))])
    draw("vx_tab_ping_good1", 16, 16, [(heart(8, 8.5, 15), (240, 80, 90, 255))])

    # Reward ribbons, 90 x 18: a cream band edged in the title level's colour; the cell turns it
    # by −45° across its bottom-right corner.
    colours = {1: PURPLE, 2: (230, 160, 77, 255), 3: (226, 98, 70, 255), 4: (60, 160, 120, 255), 5: (200, 60, 140, 255)}
    for level, colour in colours.items():
        draw("vx_tab_ping_gold%d" % level, 90, 18, [(rect(0, 0, 90, 18), colour), (rect(0, 2.5, 90, 15.5), (255, 246, 222, 255))])

    # Remote pictures the tests serve: an avatar, a VIP badge and a paid-title badge.
    draw("avatar", 40, 40, [(circle(20, 20, 20), (120, 170, 240, 255)), (circle(20, 16, 7), WHITE),
                            (lambda x, y: circle(20, 20, 20)(x, y) and circle(20, 38, 13)(x, y), WHITE)], PICTURES)
    draw("vip", 50, 16, [(rounded(0, 0, 50, 16, 8), (240, 170, 40, 255)), (rounded(1.5, 1.5, 48.5, 14.5, 6.5), (255, 210, 90, 255)),
                         (words("VIP 5", "Noto Sans CJK SC Bold 9", 25, 8), (130, 70, 0, 255))], PICTURES)
    draw("paid", 50, 16, [(rounded(0, 0, 50, 16, 8), (160, 60, 230, 255)), (rounded(1.5, 1.5, 48.5, 14.5, 6.5), (200, 130, 255, 255)),
                          (words("付费会员", "Noto Sans CJK SC Bold 8", 25, 8), WHITE)], PICTURES)


if __name__ == "__main__":
    main()
