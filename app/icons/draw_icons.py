#!/usr/bin/env python3
"""Draws the application icon (a green alien head on a night-sky disc) as 16 x 16 and 32 x 32
PNG files beside this script. Standard library only; run it again after changing the shapes."""

import math
import os
import struct
import zlib

SAMPLES = 8  # per pixel and axis: the edges are anti-aliased by supersampling


def sky(x, y):
    return (x - 16) ** 2 + (y - 16) ** 2 <= 15.5 ** 2


def head(x, y):
    # An egg standing on its point: a round crown and a narrowing chin.
    dy = y - 14.5
    if dy < -11 or dy > 12.5:
        return False
    if dy <= 0:
        half = 10.5 * math.sqrt(1 - (dy / 11) ** 2)
    else:
        t = dy / 12.5
        half = 10.5 * math.sqrt(1 - t * t) * (1 - 0.55 * t)
    return abs(x - 16) <= half


def eye(x, y, cx, cy, angle):
    c, s = math.cos(angle), math.sin(angle)
    u = (x - cx) * c + (y - cy) * s
    v = -(x - cx) * s + (y - cy) * c
    return (u / 4.6) ** 2 + (v / 2.3) ** 2 <= 1


def eyes(x, y):
    tilt = math.radians(28)
    return eye(x, y, 11.6, 16.2, tilt) or eye(x, y, 20.4, 16.2, -tilt)


LAYERS = [  # painted in order, each over the ones before
    (sky, (0x1B, 0x23, 0x4A)),
    (head, (0x79, 0xD1, 0x4E)),
    (eyes, (0x10, 0x14, 0x18)),
]


def render(size):
    rows = []
    scale = 32 / size
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for inside, rgb in LAYERS:
                        if inside(x, y):
                            colour = rgb
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            n = SAMPLES * SAMPLES
            if a:
                row += bytes((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + row for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (16, 32):
        with open(os.path.join(here, f"vellicor-{size}.png"), "wb") as out:
            out.write(png(size, render(size)))
