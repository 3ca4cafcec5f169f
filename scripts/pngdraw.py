"""Shared pieces of the picture scripts: the PNG writer, distance-function shapes and a
4 x 4 supersampling painter (plain Python: zlib + struct)."""

import math
import struct
import zlib

SAMPLES = 4


def png_raw(width, height, raw):
    """raw: filtered scanlines (each row starts with its filter byte), RGBA 8 bits."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def png(width, height, rows):
    """rows: lists of RGBA byte values, one per scanline."""
    return png_raw(width, height, b"".join(b"\x00" + bytes(row) for row in rows))


# Signed distance shapes: negative inside, zero on the edge.

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, w):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - w / 2


def segment(x0, y0, x1, y1, w):
    def d(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - w / 2
    return d


def paint(width, height, layers):
    """layers: (distance function, (r, g, b[, a])) back to front; returns RGBA rows for png()."""
    rows = []
    n = SAMPLES * SAMPLES
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
                        a = colour[3] / 255 if len(colour) > 3 else 1.0
                        for i in range(3):
                            acc[i] += colour[i] * a
                        acc[3] += a
            alpha = acc[3] / n
            if alpha > 0:
                row += [round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(255 * alpha)]
            else:
                row += [0, 0, 0, 0]
        rows.append(row)
    return rows
