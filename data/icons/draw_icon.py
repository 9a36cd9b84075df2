#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Vexa's application icon for the desktop: vexa.svg (scalable) and vexa-256.png.

The same picture as the 32 px window icon in src/resources (a window with the command tree
on the left and answer lines on the right, above a keyboard), in its colours, as shapes on
a 32-unit grid. The SVG and the PNG come from the same shapes; the PNG is rendered here with
4 x 4 samples per pixel, so no SVG renderer is needed. Run once by hand after a change; the
files are committed. Usage: draw_icon.py OUTPUT_DIR
"""
import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # nothing generated into the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "src", "resources"))
from draw_images import PALETTE  # noqa: E402  the window icon's colours

SIZE = 256
SAMPLES = 4


class RoundRect:
    def __init__(self, x0, y0, x1, y1, colour, radius=0.0):
        self.box = (x0, y0, x1, y1)
        self.colour = colour
        self.radius = radius

    def contains(self, x, y):
        x0, y0, x1, y1 = self.box
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        r = self.radius
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    def svg(self):
        x0, y0, x1, y1 = self.box
        rounded = f' rx="{self.radius:g}"' if self.radius else ""
        return (f'<rect x="{x0:g}" y="{y0:g}" width="{x1 - x0:g}" height="{y1 - y0:g}"{rounded} '
                f'fill="{hex_colour(self.colour)}"/>')


class Polygon:
    """A convex polygon, corners in clockwise order (y grows downwards)."""

    def __init__(self, corners, colour):
        self.corners = corners
        self.colour = colour
        xs = [c[0] for c in corners]
        ys = [c[1] for c in corners]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        n = len(self.corners)
        for i in range(n):
            (ax, ay), (bx, by) = self.corners[i], self.corners[(i + 1) % n]
            if (bx - ax) * (y - ay) - (by - ay) * (x - ax) < 0:
                return False
        return True

    def svg(self):
        points = " ".join(f"{x:g},{y:g}" for x, y in self.corners)
        return f'<polygon points="{points}" fill="{hex_colour(self.colour)}"/>'


def hex_colour(key):
    r, g, b, _ = PALETTE[key]
    return f"#{r:02x}{g:02x}{b:02x}"


def picture():
    shapes = [
        # The window: outline, title bar with its mark, the two panes either side of the divider.
        RoundRect(2, 2, 30, 20, "k", 1.25),
        RoundRect(2.75, 2.75, 29.25, 5.25, "B", 0.6),
        RoundRect(3.75, 3.4, 6, 4.6, "w", 0.4),
        RoundRect(2.75, 6, 13.6, 19.25, "w", 0.6),
        RoundRect(14.4, 6, 29.25, 19.25, "w", 0.6),
    ]
    # The command tree: two headings, each with a stem and its commands.
    for top, rows in ((7, (8.5, 10.5, 12.5)), (14, (15.5, 17.5))):
        shapes.append(RoundRect(3.75, top, 6.75, top + 1, "k", 0.3))
        shapes.append(RoundRect(4.25, top + 1, 4.85, rows[-1] + 0.5, "g"))
        for row in rows:
            shapes.append(RoundRect(4.85, row, 6, row + 0.6, "g"))
            shapes.append(RoundRect(6.25, row - 0.2, 11.25, row + 0.8, "k", 0.3))
    # The answers.
    for row, length in ((7, 7), (9, 5), (11, 9), (13, 4), (15, 7)):
        shapes.append(RoundRect(16, row, 16 + length, row + 1, "G", 0.45))
    # The keyboard: a rim, its face, the key well and a row of keys.
    shapes.append(Polygon([(9, 21), (23, 21), (26.5, 28), (5.5, 28)], "k"))
    shapes.append(Polygon([(9.6, 21.8), (22.4, 21.8), (25.3, 27.2), (6.7, 27.2)], "l"))
    shapes.append(RoundRect(9.25, 23, 22.75, 26.25, "k", 0.5))
    for key in range(6):
        x = 10 + 2 * key
        shapes.append(RoundRect(x, 23.75, x + 1.5, 25.5, "b", 0.3))
    return shapes


def write_svg(path, shapes):
    body = "\n  ".join(shape.svg() for shape in shapes)
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                  f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" '
                  'viewBox="0 0 32 32">\n'
                  f'  {body}\n'
                  '</svg>\n')


def render(shapes):
    """Premultiplied RGBA floats, shapes painted in order over a transparent ground."""
    pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(SIZE * SIZE)]
    unit = SIZE / 32
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    for shape in shapes:
        r, g, b, _ = PALETTE[shape.colour]
        x0, y0, x1, y1 = shape.box
        for py in range(int(y0 * unit), min(SIZE, int(y1 * unit) + 1)):
            for px in range(int(x0 * unit), min(SIZE, int(x1 * unit) + 1)):
                hits = sum(shape.contains((px + ox) / unit, (py + oy) / unit)
                           for oy in offsets for ox in offsets)
                if hits == 0:
                    continue
                cover = hits / (SAMPLES * SAMPLES)
                pixel = pixels[py * SIZE + px]
                for channel, value in enumerate((r / 255, g / 255, b / 255, 1.0)):
                    pixel[channel] = value * cover + pixel[channel] * (1 - cover)
    return pixels


def write_png(path, pixels):
    raw = bytearray()
    for y in range(SIZE):
        raw.append(0)
        for r, g, b, a in pixels[y * SIZE:(y + 1) * SIZE]:
            straight = [round(c / a * 255) if a else 0 for c in (r, g, b)]
            raw += bytes(straight + [round(a * 255)])

    def chunk(kind, data):
        body = kind + data
        crc = zlib.crc32(body) & 0xFFFFFFFF
        return struct.pack(">I", len(data)) + body + struct.pack(">I", crc)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        out.write(chunk(b"IEND", b""))


def main():
    out = sys.argv[1]
    shapes = picture()
    write_svg(os.path.join(out, "vexa.svg"), shapes)
    write_png(os.path.join(out, "vexa-256.png"), render(shapes))


if __name__ == "__main__":
    main()
