#!/usr/bin/env python3
"""Draws the personal manager's bitmaps (24-bit BMP files): our own artwork.

usage: make_manager_bitmaps.py OUTDIR
  folder.bmp    the folder face of the personal page, 120 x 120
  upto.bmp, browse.bmp, refresh.bmp, clear.bmp
                title-bar buttons: four 28 x 28 states stacked (normal,
                pressed, hot, disabled)
  delete.bmp    a host group's delete button: four 16 x 16 states stacked
  nav.bmp       the navigation bar's three pictures side by side, 48 x 48 each
  fileinfo.bmp  the file information picture, 32 x 32
  splash.bmp    the splash picture, 360 x 220
  preview.bmp   the preview of the installed demo personal file, 120 x 120
"""
import math
import struct
import sys
from pathlib import Path

# The demo skin's BMP writer and colour mix serve these pictures too.
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "demo"))
from make_demo_skin import bmp, mix  # noqa: E402

PAGE = (233, 233, 233)
BAR = (214, 214, 214)
STRIP = (212, 212, 212)  # a host group's top strip


def round_rect(x, y, l, t, r, b, radius):
    cx = min(max(x, l + radius), r - radius)
    cy = min(max(y, t + radius), b - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def folder(x, y):
    # A manila folder on a magenta key colour (the top-left pixel).
    if round_rect(x, y, 14, 22, 58, 40, 4):
        return (222, 170, 60)
    if round_rect(x, y, 10, 32, 110, 104, 6):
        shade = 1.0 - (y - 32) / 160
        return mix((200, 140, 40), (250, 205, 100), shade)
    if 102 <= y <= 108 and 16 <= x <= 106:
        return (180, 180, 180)
    return (255, 0, 255)


def arrow_up(x, y):
    return (abs(x - 14) <= (y - 6) and 6 <= y <= 14) or (11 <= x <= 17 and 14 <= y <= 22)


def open_folder(x, y):
    return round_rect(x, y, 5, 9, 23, 22, 2) and not (7 <= x <= 21 and 12 <= y <= 20 and y > 14)


def refresh(x, y):
    d = math.hypot(x - 14, y - 14)
    angle = math.degrees(math.atan2(y - 14, x - 14)) % 360
    ring = 6 <= d <= 9 and not (300 <= angle <= 350)
    head = 17 <= x <= 23 and 3 <= y <= 9 and (x - 17) >= (y - 3) - 1
    return ring or head


def cross(x, y):
    return (abs((x - 14) - (y - 14)) <= 1 or abs((x - 14) + (y - 14)) <= 1) and 7 <= x <= 21 and 7 <= y <= 21


def button(shape, colour):
    """Four states of one 28 x 28 button stacked vertically."""
    def pixel(x, y):
        state, yy = divmod(y, 28)
        face = {0: BAR, 1: (190, 190, 190), 2: (232, 238, 250), 3: BAR}[state]
        ink = {0: colour, 1: mix(colour, (0, 0, 0), 0.3), 2: mix(colour, (255, 255, 255), 0.2),
               3: (160, 160, 160)}[state]
        border = state in (1, 2) and (x in (0, 27) or yy in (0, 27))
        if border:
            return (120, 130, 160) if state == 2 else (110, 110, 110)
        dx, dy = (1, 1) if state == 1 else (0, 0)
        return ink if shape(x - dx, yy - dy) else face
    return 28, 28 * 4, pixel


def delete_button():
    """Four states of a 16 x 16 cross on the group strip's grey, stacked."""
    def pixel(x, y):
        state, yy = divmod(y, 16)
        face = {0: STRIP, 1: (180, 180, 180), 2: (236, 240, 250), 3: STRIP}[state]
        ink = {0: (120, 60, 60), 1: (150, 20, 20), 2: (210, 40, 40), 3: (165, 165, 165)}[state]
        if state in (1, 2) and (x in (0, 15) or yy in (0, 15)):
            return (110, 110, 110) if state == 1 else (120, 130, 160)
        dx, dy = (1, 1) if state == 1 else (0, 0)
        cx, cy = x - dx - 7.5, yy - dy - 7.5
        if abs(cx) <= 4.5 and abs(cy) <= 4.5 and (abs(cx - cy) <= 1 or abs(cx + cy) <= 1):
            return ink
        return face
    return 16, 16 * 4, pixel


def nav(x, y):
    # Three pictures: a heart of files (My), a clock (Visited), a globe (Internet).
    i, xx = divmod(x, 48)
    cx, cy = xx - 24, y - 24
    if i == 0:
        if round_rect(xx, y, 8, 10, 40, 40, 4):
            return mix((30, 120, 200), (90, 180, 240), y / 48)
        if round_rect(xx, y, 8, 6, 22, 14, 2):
            return (30, 120, 200)
    elif i == 1:
        d = math.hypot(cx, cy)
        if d <= 17:
            if (abs(cx) <= 1 and -12 <= cy <= 0) or (abs(cy) <= 1 and 0 <= cx <= 9):
                return (40, 40, 40)
            return (250, 250, 245) if d <= 14 else (210, 120, 30)
    else:
        d = math.hypot(cx, cy)
        if d <= 17:
            grid = abs(cx) <= 0.8 or abs(cy) <= 0.8 or abs(math.hypot(cx * 2.2, cy) - 17) <= 1.2
            return (255, 255, 255) if grid else mix((40, 150, 90), (90, 200, 140), y / 48)
    return BAR


def fileinfo(x, y):
    if round_rect(x, y, 3, 3, 29, 29, 4):
        return (255, 255, 255) if 14 <= x <= 17 and (8 <= y <= 10 or 13 <= y <= 24) else (30, 110, 200)
    return (240, 240, 240)


def splash(x, y):
    base = mix((20, 90, 140), (30, 160, 170), x / 360)
    if round_rect(x, y, 30, 60, 110, 140, 14):
        if (76 <= y <= 86 and 44 <= x <= 96) or (86 < y <= 128 and 64 <= x <= 76):
            return (255, 255, 255)
        return mix((250, 250, 250), (200, 230, 235), (y - 60) / 80)
    if 150 <= y <= 152 and 30 <= x <= 330:
        return (200, 230, 235)
    # Large letters "TAVIK" in blocks.
    letters = {
        "T": ["111", "010", "010", "010", "010"],
        "A": ["010", "101", "111", "101", "101"],
        "V": ["101", "101", "101", "101", "010"],
        "I": ["111", "010", "010", "010", "111"],
        "K": ["101", "110", "100", "110", "101"],
    }
    for n, ch in enumerate("TAVIK"):
        lx = 140 + n * 40
        gx, gy = (x - lx) // 8, (y - 70) // 8
        if 0 <= gx < 3 and 0 <= gy < 5 and letters[ch][gy][gx] == "1":
            return (255, 255, 255)
    return base


def preview(x, y):
    # A small skinned window on a white key colour (the top-left pixel).
    if not round_rect(x, y, 6, 14, 114, 106, 10):
        return (255, 255, 255)
    if y < 30:
        return mix((20, 90, 140), (30, 160, 170), x / 120)
    if round_rect(x, y, 14, 36, 106, 96, 3):
        return (250, 250, 250) if (y - 36) % 12 else (200, 215, 230)
    return (40, 120, 170)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "folder.bmp").write_bytes(bmp(120, 120, folder))
    for name, shape, colour in (("upto", arrow_up, (30, 110, 200)),
                                ("browse", open_folder, (210, 150, 40)),
                                ("refresh", refresh, (40, 150, 90)),
                                ("clear", cross, (200, 50, 50))):
        w, h, p = button(shape, colour)
        (out / (name + ".bmp")).write_bytes(bmp(w, h, p))
    w, h, p = delete_button()
    (out / "delete.bmp").write_bytes(bmp(w, h, p))
    (out / "nav.bmp").write_bytes(bmp(144, 48, nav))
    (out / "fileinfo.bmp").write_bytes(bmp(32, 32, fileinfo))
    (out / "splash.bmp").write_bytes(bmp(360, 220, splash))
    (out / "preview.bmp").write_bytes(bmp(120, 120, preview))


if __name__ == "__main__":
    main()
