#!/usr/bin/env python3
"""Draws the demo skin, our own artwork, into a folder:

  demo.tvc        the configuration (INI)
  back.bmp        the shaped background (magenta outside the shape)
  btn_*.bmp       six picture buttons, four states stacked: normal, pressed, hot, disabled
  busy.bmp        the busy indicator: eight frames side by side

usage: make_demo_skin.py OUTDIR
The package (back.bmp, btn_*.bmp, busy.bmp) is packed and enciphered with
tavpack by scripts/demo; the key is in demo.tvc.
"""
import math
import struct
import sys
from pathlib import Path

W, H = 720, 500
CLEAR = (255, 0, 255)
KEY = "TavikDemo2026"


def bmp(width, height, pixel):
    """A 24-bit BMP; pixel(x, y) gives (r, g, b), y from the top."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - width * 3)
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def in_round_rect(x, y, l, t, r, b, radius):
    cx = min(max(x, l + radius), r - radius)
    cy = min(max(y, t + radius), b - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


# Layout (client coordinates of the skin window)
WEB = (20, 84, 700, 446)
URL = (172, 38, 598, 60)
STATUS = (20, 454, 700, 476)
ANI = (612, 32, 644, 64)
BUTTONS = [  # function, glyph, x, hotkey, tooltip
    ("BACK", "back", 24, "CTRL+VK_LEFT", "Back (Ctrl+Left)"),
    ("FORWARD", "forward", 52, "CTRL+VK_RIGHT", "Forward (Ctrl+Right)"),
    ("HOME", "home", 80, "ALT+VK_HOME", "Home (Alt+Home)"),
    ("REFRESH", "refresh", 108, "CTRL+R", "Refresh (Ctrl+R)"),
    ("STOP", "stop", 136, "CTRL+VK_PAUSE", "Stop (Ctrl+Pause)"),
    ("EXIT", "exit", 660, "CTRL+Q", "Close (Ctrl+Q)"),
]
BTN_Y = 36
HBAND = (350, 370)
VBAND = (250, 270)


def background(x, y):
    # The shape: a rounded body with a tab on the top left holding the logo.
    body = in_round_rect(x, y, 0, 14, W - 1, H - 1, 26)
    tab = in_round_rect(x, y, 0, 0, 160, 40, 14)
    if not (body or tab):
        return CLEAR
    edge_top = mix((38, 62, 110), (22, 34, 64), min(1.0, y / 90))
    color = edge_top if y < 78 else mix((30, 44, 80), (18, 26, 50), (y - 78) / (H - 78))
    # a thin light rim
    if not in_round_rect(x, y, 2, 16, W - 3, H - 3, 24) and not in_round_rect(x, y, 2, 2, 158, 38, 12):
        color = (120, 160, 230)
    # the logo on the tab: "T" in white over a teal square
    if 10 <= x < 34 and 6 <= y < 30:
        color = (20, 150, 170)
        if (9 <= y <= 12 and 13 <= x <= 30) or (12 < y <= 26 and 20 <= x <= 23):
            color = (255, 255, 255)
    # wordmark bar
    if 42 <= x < 150 and 14 <= y < 22:
        color = mix((120, 200, 220), (80, 140, 220), (x - 42) / 108)
    # panels: web area frame, address well, status well
    for (l, t, r, b) in (WEB, URL, STATUS):
        if l - 2 <= x < r + 2 and t - 2 <= y < b + 2:
            color = (10, 16, 32) if (x < l or y < t or x >= r or y >= b) else (245, 247, 250)
    if STATUS[0] <= x < STATUS[2] and STATUS[1] <= y < STATUS[3]:
        color = (24, 34, 60)
    return color


def glyph(name, x, y):
    """True where the glyph covers (x, y) of a 24 x 24 cell."""
    cx, cy = x - 11.5, y - 11.5
    if name == "back":
        return abs(cy) <= (cx + 7) * 0.75 and -7 <= cx <= 5
    if name == "forward":
        return abs(cy) <= (7 - cx) * 0.75 and -5 <= cx <= 7
    if name == "home":
        roof = cy <= 0 and abs(cx) <= cy + 8 and cy >= -8
        house = 0 < cy <= 7 and abs(cx) <= 5 and not (abs(cx) <= 1.5 and cy >= 3)
        return roof or house
    if name == "refresh":
        r = math.hypot(cx, cy)
        return 4.5 <= r <= 7.5 and not (cx > 0 and cy < 0 and abs(cx) < 6 and abs(cy) < 6)
    if name == "stop":
        return abs(cx) <= 5.5 and abs(cy) <= 5.5
    if name == "exit":
        return abs(abs(cx) - abs(cy)) <= 1.6 and abs(cx) <= 6.5
    return False


def button(name):
    states = [  # face, glyph
        ((50, 80, 150), (235, 240, 255)),   # normal
        ((25, 40, 90), (200, 220, 255)),    # pressed
        ((80, 130, 220), (255, 255, 255)),  # hot
        ((70, 74, 84), (130, 134, 144)),    # disabled
    ]

    def pixel(x, y):
        state, yy = divmod(y, 24)
        face, ink = states[state]
        if not in_round_rect(x, yy, 0, 0, 23, 23, 6):
            return (30, 46, 86)  # the bar behind the button
        dx = 1 if state == 1 else 0
        return ink if glyph(name, x - dx, yy - dx) else face
    return bmp(24, 96, pixel)


def busy():
    def pixel(x, y):
        frame, xx = divmod(x, 32)
        cx, cy = xx - 15.5, y - 15.5
        color = (32, 56, 104)
        for k in range(8):
            a = (frame + k) / 8 * 2 * math.pi
            px, py = 10 * math.cos(a), 10 * math.sin(a)
            if (cx - px) ** 2 + (cy - py) ** 2 <= 6.5:
                color = mix((60, 90, 150), (140, 240, 255), k / 7)
        return color
    return bmp(32 * 8, 32, pixel)


def config():
    lines = [
        "[APPLICATION]", "Version=1",
        "NAME=Tavik Demo", "DIR=Tavik Demo", "LINKNAME=Tavik Demo",
        f"X=0", f"Y=0", f"CX={W}", f"CY={H}",
        f"BTNNUMBER={len(BUTTONS)}", "ANINUMBER=0",
        "ENCRYPT=1", f"ENCRYPTKEY={KEY}",
        "LAUNCHOPTION=1", "POLICY=0", "ALIGN=0", "TOPMOST=0", "ANTIALIAS=0",
        "BACKGROUND=back.bmp",
        "WEBCONTROLLOCATION=%d,%d,%d,%d" % WEB,
        "URLEDITLOCATION=%d,%d,%d,%d" % URL,
        "STATUSLOCATION=%d,%d,%d,%d" % STATUS,
        f"CURSORAREA=8,8,{W - 8},{H - 8}",
        "H-RESIZEAREA=%d,%d" % HBAND,
        "V-RESIZEAREA=%d,%d" % VBAND,
        "STATUSCOLOR=200,220,255",
        "ANIFRAME=8", "ANIDELAY=90", "ANIMATIONLOCATION=%d,%d,%d,%d" % ANI, "ANIMATION=busy.bmp",
        "",
    ]
    for i, (function, name, x, hotkey, tooltip) in enumerate(BUTTONS, 1):
        lines += [f"[BTN{i}]", f"LOCATION={x},{BTN_Y},{x + 24},{BTN_Y + 24}", f"BMP=btn_{name}.bmp",
                  f"FUNCTION={function}", f"TOOLTIP={tooltip}", f"HOTKEY={hotkey}", ""]
    return "\r\n".join(lines)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "back.bmp").write_bytes(bmp(W, H, background))
    for _, name, _, _, _ in BUTTONS:
        (out / f"btn_{name}.bmp").write_bytes(button(name))
    (out / "busy.bmp").write_bytes(busy())
    (out / "demo.tvc").write_text(config())


if __name__ == "__main__":
    main()
