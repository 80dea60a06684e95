#!/usr/bin/env python3
"""Draws the program's own cursors as 32x32 .cur files, each with a 32-bit image (alpha) and a
monochrome one for displays without colour cursors. Run it here after a change; the .cur files
are kept in the tree beside it:   python3 MakeCursors.py
Every shape is filled white (or its colour) and gets a one-pixel black outline around it."""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'skin'))
from skinlib import _in_poly  # noqa: E402  (the skin's drawing library)

N = 32
WHITE, BLACK, GREY, RED, BLUE = (255, 255, 255), (0, 0, 0), (176, 176, 176), (214, 40, 40), (40, 90, 200)


class Canvas:
    def __init__(self):
        self.px = [[None] * N for _ in range(N)]

    def put(self, x, y, c):
        if 0 <= x < N and 0 <= y < N:
            self.px[y][x] = c

    def shape(self, inside, fill, outline=BLACK):
        """Fills the pixels for which inside(x, y) holds and rings them with the outline."""
        mask = [[inside(x + 0.5, y + 0.5) for x in range(N)] for y in range(N)]
        for y in range(N):
            for x in range(N):
                if mask[y][x]:
                    self.px[y][x] = fill
                elif outline and any(0 <= x + dx < N and 0 <= y + dy < N and mask[y + dy][x + dx]
                                     for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                    self.px[y][x] = outline


def rrect(x0, y0, x1, y1, r):
    """A rounded rectangle's inside test."""
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(points):
    return lambda x, y: _in_poly(points, x, y)


def union(*tests):
    return lambda x, y: any(t(x, y) for t in tests)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def open_hand(c, ox=0, oy=0):
    palm = rrect(8 + ox, 14 + oy, 23 + ox, 27 + oy, 4)
    fingers = [rrect(8 + ox + 4 * i, 4 + oy + (2 if i in (0, 3) else 0) + (1 if i == 2 else 0),
                     11 + ox + 4 * i, 18 + oy, 1.5) for i in range(4)]
    thumb = polygon([(8 + ox, 21 + oy), (3 + ox, 15 + oy), (5 + ox, 13 + oy), (10 + ox, 17 + oy)])
    c.shape(union(palm, thumb, *fingers), WHITE)
    for i in range(1, 4):  # the gaps between the fingers
        for y in range(8, 18):
            c.put(8 + ox + 4 * i - 1, y + oy, BLACK)


def closed_hand(c, ox=0, oy=0):
    palm = rrect(7 + ox, 11 + oy, 23 + ox, 24 + oy, 4)
    knuckles = [rrect(7 + ox + 4 * i, 8 + oy, 11 + ox + 4 * i, 14 + oy, 2) for i in range(4)]
    thumb = polygon([(7 + ox, 18 + oy), (4 + ox, 14 + oy), (6 + ox, 12 + oy), (10 + ox, 15 + oy)])
    c.shape(union(palm, thumb, *knuckles), WHITE)
    for i in range(1, 4):
        for y in range(10, 14):
            c.put(7 + ox + 4 * i - 1, y + oy, BLACK)


def pointing_hand(c):
    finger = rrect(11, 1, 15, 16, 2)
    fist = rrect(9, 12, 25, 27, 4)
    knuckles = [rrect(15 + 4 * i, 10, 19 + 4 * i, 16, 2) for i in range(2)]
    thumb = polygon([(9, 21), (5, 16), (7, 14), (12, 18)])
    c.shape(union(finger, fist, thumb, *knuckles), WHITE)
    for x, y0 in ((15, 12), (19, 12)):
        for y in range(y0, 16):
            c.put(x, y, BLACK)


def arrow_pair(c, cx, cy, horizontal, length=8, colour=WHITE):
    """A double arrow centred at (cx, cy): a shaft and two heads."""
    def inside(x, y):
        u, v = (x - cx, y - cy) if horizontal else (y - cy, x - cx)
        a = abs(u)
        if a <= length - 3 and abs(v) <= 1:
            return True
        return length - 4 <= a <= length and abs(v) <= (length - a) * 1.2
    c.shape(inside, colour)


def pointer(c):
    """The standard arrow, tip at (1, 1)."""
    c.shape(polygon([(1, 1), (1, 17), (5, 13), (8, 20), (10, 19), (7, 12), (12, 12)]), WHITE)


def page(c, x0, y0, x1, y1):
    """A small sound sheet with a waveform on it."""
    c.shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, WHITE)
    mid = (y0 + y1) // 2
    for x in range(x0 + 2, x1 - 1):
        # A peak display: the envelope of a few bursts, symmetric about the middle line.
        a = ((y1 - y0) / 2 - 2) * abs(math.sin((x - x0) * 0.45)) * (0.5 + 0.5 * abs(math.cos((x - x0) * 0.17)))
        for y in range(int(round(mid - a)), int(round(mid + a)) + 1):
            c.put(x, y, BLUE)
        c.put(x, mid, BLUE)


def plus_badge(c, cx, cy):
    c.shape(lambda x, y: abs(x - cx) <= 4 and abs(y - cy) <= 4, WHITE)
    for d in range(-2, 3):
        c.put(cx + d, cy, BLACK)
        c.put(cx, cy + d, BLACK)


def no_sign(c, cx, cy, r):
    ring = lambda x, y: r - 3 <= math.hypot(x - cx, y - cy) <= r
    bar = lambda x, y: math.hypot(x - cx, y - cy) <= r - 2 and abs((x - cx) - (y - cy)) <= 2.2
    c.shape(union(ring, bar), RED)


def cross(c, cx, cy, r):
    c.shape(lambda x, y: abs(x - cx) <= r and abs(y - cy) <= r and
            (abs((x - cx) - (y - cy)) <= 1.6 or abs((x - cx) + (y - cy)) <= 1.6), RED)


def slider_thumb(c, horizontal):
    if horizontal:
        c.shape(rrect(12, 8, 19, 23, 1.5), GREY)
        for y in range(11, 21, 3):
            c.put(14, y, BLACK), c.put(15, y, BLACK), c.put(16, y, BLACK), c.put(17, y, BLACK)
    else:
        c.shape(rrect(8, 12, 23, 19, 1.5), GREY)
        for x in range(11, 21, 3):
            c.put(x, 14, BLACK), c.put(x, 15, BLACK), c.put(x, 16, BLACK), c.put(x, 17, BLACK)


def rotate_arrow(c):
    """A three-quarter ring with a head: turn a knob."""
    cx, cy, r = 16, 16, 10
    def ring(x, y):
        d = math.hypot(x - cx, y - cy)
        ang = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return r - 2 <= d <= r + 1 and not (250 < ang < 320)
    head = polygon([(21, 1), (29, 8), (19, 11)])
    c.shape(union(ring, head), WHITE)
    c.shape(disc(cx, cy, 2), BLACK, None)


def draw(name):
    c = Canvas()
    hot = (16, 16)
    if name == "CUR_HAND":
        open_hand(c)
    elif name == "CUR_HAND_OFS":
        open_hand(c, 0, -3)
        arrow_pair(c, 16, 28, True, 9)
    elif name == "CUR_HOLD_V":
        closed_hand(c, 4, 3)
        arrow_pair(c, 5, 16, False, 9)
    elif name == "CUR_HOLD_H":
        closed_hand(c, 0, -3)
        arrow_pair(c, 16, 27, True, 9)
    elif name == "CUR_HOLD_CPY":
        closed_hand(c, -2, -2)
        plus_badge(c, 25, 25)
    elif name == "CUR_FINGER_U":
        pointing_hand(c)
        hot = (13, 1)
    elif name == "CUR_WAVE_DEL":
        page(c, 3, 6, 22, 22)
        cross(c, 24, 24, 5)
    elif name == "CUR_DRAG_NEW":
        pointer(c)
        page(c, 12, 16, 29, 29)
        hot = (1, 1)
    elif name == "CUR_DRAG_CPY":
        pointer(c)
        page(c, 11, 15, 26, 27)
        plus_badge(c, 26, 26)
        hot = (1, 1)
    elif name == "CUR_NODROP":
        pointer(c)
        no_sign(c, 21, 21, 8)
        hot = (1, 1)
    elif name == "CUR_SLIDE_HD_V":
        slider_thumb(c, False)
        arrow_pair(c, 16, 16, False, 15)
        slider_thumb(c, False)
    elif name == "CUR_SLIDE_AV":
        arrow_pair(c, 16, 16, False, 13)
    elif name == "CUR_SLIDE_HD_H":
        slider_thumb(c, True)
        arrow_pair(c, 16, 16, True, 15)
        slider_thumb(c, True)
    elif name == "CUR_SLIDE_AR":
        rotate_arrow(c)
    return c, hot


def dib(c, bits):
    """A cursor image: header, (palette), colour rows and the AND mask, both bottom-up."""
    rows = []
    mask = bytearray()
    for y in reversed(range(N)):
        m = 0
        line = bytearray()
        mono = 0
        for x in range(N):
            p = c.px[y][x]
            m = (m << 1) | (0 if p else 1)
            if bits == 32:
                r, g, b = p if p else (0, 0, 0)
                line += bytes([b, g, r, 255 if p else 0])
            else:
                lum = (p[0] * 3 + p[1] * 6 + p[2]) / 10 if p else 0
                mono = (mono << 1) | (1 if p and lum > 128 else 0)
        if bits == 1:
            line = bytearray(struct.pack('>I', mono))
        rows.append(bytes(line))
        mask += struct.pack('>I', m)
    header = struct.pack('<IiiHHIIiiII', 40, N, 2 * N, 1, bits, 0, 0, 0, 0, 2 if bits == 1 else 0, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0]) if bits == 1 else b''
    return header + palette + b''.join(rows) + bytes(mask)


def write(name, path):
    c, hot = draw(name)
    images = [dib(c, 1), dib(c, 32)]
    out = struct.pack('<HHH', 0, 2, len(images))
    offset = 6 + 16 * len(images)
    for img, colours in zip(images, (2, 0)):
        out += struct.pack('<BBBBHHII', N, N, colours, 0, hot[0], hot[1], len(img), offset)
        offset += len(img)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


NAMES = ["CUR_HAND", "CUR_HOLD_V", "CUR_HOLD_CPY", "CUR_WAVE_DEL", "CUR_FINGER_U", "CUR_HAND_OFS",
         "CUR_HOLD_H", "CUR_DRAG_NEW", "CUR_DRAG_CPY", "CUR_NODROP", "CUR_SLIDE_HD_V", "CUR_SLIDE_AV",
         "CUR_SLIDE_HD_H", "CUR_SLIDE_AR"]

if __name__ == "__main__":
    import sys
    for n in NAMES:
        write(n, n[4:].lower() + ".cur")
    if len(sys.argv) > 1:  # a sheet of every cursor, four times enlarged, as a PPM, for a look
        scale, cell = 4, (N + 2) * 4
        width, height = len(NAMES) * cell, cell
        sheet = [[(0, 128, 128)] * width for _ in range(height)]
        for i, n in enumerate(NAMES):
            c, hot = draw(n)
            for y in range(N * scale):
                for x in range(N * scale):
                    p = c.px[y // scale][x // scale]
                    if p:
                        sheet[4 + y][i * cell + x] = p
        with open(sys.argv[1], 'wb') as f:
            f.write(b'P6 %d %d 255\n' % (width, height))
            f.write(bytes(v for row in sheet for p in row for v in p))
