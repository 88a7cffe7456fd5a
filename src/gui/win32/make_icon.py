#!/usr/bin/env python3
"""Writes clashwick.ico: two packages (squares) that overlap, their clash in red.

Sizes 16 and 32 pixels (the small and the large icon at 96 dots per inch), 32-bit colour with alpha, each drawn at 4x4 samples a pixel so
the edges are smooth. Run it again after changing the drawing:
    python3 src/gui/win32/make_icon.py
"""
import os
import struct

BLUE = (46, 111, 216)
GREEN = (61, 170, 92)
RED = (224, 49, 49)
EDGE = (32, 32, 40)


def inside(x, y, box):
    left, top, right, bottom = box
    return left <= x < right and top <= y < bottom


def colour_at(x, y):
    """The colour at a point of the unit square, or None where the icon is clear."""
    back = (0.06, 0.06, 0.66, 0.66)
    front = (0.34, 0.34, 0.94, 0.94)
    edge = 0.06
    in_back, in_front = inside(x, y, back), inside(x, y, front)
    if not (in_back or in_front):
        return None

    def on_edge(box):
        left, top, right, bottom = box
        return inside(x, y, box) and not inside(x, y, (left + edge, top + edge, right - edge, bottom - edge))

    if on_edge(front) or (on_edge(back) and not in_front):
        return EDGE
    if in_back and in_front:
        return RED
    return GREEN if in_front else BLUE


def image(size, samples=4):
    """Rows bottom-up of BGRA pixels, as an icon's bitmap keeps them."""
    rows = []
    for row in range(size - 1, -1, -1):
        pixels = bytearray()
        for column in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((column + (sx + 0.5) / samples) / size, (row + (sy + 0.5) / samples) / size)
                    if c is not None:
                        covered += 1
                        total = [t + v for t, v in zip(total, c)]
            alpha = round(255 * covered / samples**2)
            r, g, b = ((t // covered) if covered else 0 for t in total)
            pixels += bytes((b, g, r, alpha))
        rows.append(bytes(pixels))
    return b"".join(rows)


def mask(pixels, size):
    """The AND mask, rows bottom-up: 1 where the pixel is mostly clear. Windows that draw
    with alpha ignore it; the others show the icon through it."""
    row_bytes = ((size + 31) // 32) * 4
    out = bytearray()
    for row in range(size):
        bits = bytearray(row_bytes)
        for column in range(size):
            if pixels[(row * size + column) * 4 + 3] < 128:
                bits[column // 8] |= 0x80 >> (column % 8)
        out += bits
    return bytes(out)


def entry_bitmap(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = image(size)
    return header + pixels + mask(pixels, size)


def main():
    sizes = (16, 32)
    bitmaps = [entry_bitmap(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, bitmaps):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(bitmaps)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "clashwick.ico")
    with open(path, "wb") as f:
        f.write(out)
    print(f"{path}: {len(out)} bytes")


if __name__ == "__main__":
    main()
