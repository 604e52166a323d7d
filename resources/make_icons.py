#!/usr/bin/env python3
"""Draws Tavik's icons (32 x 32, 32-bit) into .ico files: our own artwork.

usage: make_icons.py OUTDIR
  tavik.ico   the frame's icon: a teal rounded square with a white T
  secure.ico  the status line's secure icon: a golden padlock
  link.bmp    the picture of the shortcut dialog
"""
import struct
import sys
from pathlib import Path

SIZE = 32


def ico(pixels):
    """pixels: SIZE*SIZE (r, g, b, a) tuples, top row first."""
    rows = [pixels[y * SIZE:(y + 1) * SIZE] for y in range(SIZE)]
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = bytes(SIZE * 4)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32,
                                                      len(image), 22) + image


def inside_round_rect(x, y, l, t, r, b, radius):
    cx = min(max(x, l + radius), r - radius)
    cy = min(max(y, t + radius), b - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def tavik():
    out = []
    for y in range(SIZE):
        for x in range(SIZE):
            px = (0, 0, 0, 0)
            if inside_round_rect(x + 0.5, y + 0.5, 1, 1, 31, 31, 7):
                shade = 120 + (y * 3)
                px = (20, min(255, shade), min(255, shade + 20), 255)
                if (7 <= y <= 10 and 7 <= x <= 24) or (10 < y <= 25 and 14 <= x <= 17):
                    px = (255, 255, 255, 255)
            out.append(px)
    return out


def padlock():
    out = []
    for y in range(SIZE):
        for x in range(SIZE):
            px = (0, 0, 0, 0)
            dx, dy = x - 15.5, y - 12.0
            if 5.5 <= (dx * dx + dy * dy) ** 0.5 <= 9 and y <= 14:
                px = (150, 150, 160, 255)          # the shackle
            if inside_round_rect(x + 0.5, y + 0.5, 6, 14, 26, 30, 3):
                px = (230, 180 + (30 - y) * 2, 40, 255)  # the body
                if (x - 15.5) ** 2 + (y - 20.5) ** 2 <= 5 or (15 <= x <= 16 and 21 <= y <= 26):
                    px = (90, 60, 10, 255)         # the keyhole
            out.append(px)
    return out


def link_picture():
    """The link dialog's picture: a 64 x 64 BMP, a window with an arrow."""
    size = 64
    rows = []
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            r, g, b = 236, 240, 246
            if 8 <= x < 56 and 12 <= y < 52:
                r, g, b = (40, 70, 140) if y < 20 else (250, 250, 252)
                if x in (8, 55) or y in (12, 51):
                    r, g, b = (30, 50, 100)
            ax, ay = x - 20, y - 44
            if 0 <= ax and 0 <= -ay and abs(ax + ay) <= 3 and ax <= 18:
                r, g, b = (230, 120, 20)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    data = b"".join(rows)
    return (struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0) + data)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "tavik.ico").write_bytes(ico(tavik()))
    (folder / "secure.ico").write_bytes(ico(padlock()))
    (folder / "link.bmp").write_bytes(link_picture())


if __name__ == "__main__":
    main()
