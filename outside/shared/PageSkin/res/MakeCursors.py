#!/usr/bin/env python3
"""Draws the slider cursors of the equaliser pages as 32x32 monochrome .cur files."""
import struct

def arrow_shape(vertical, double):
    # A shaft with one or two arrow heads, drawn in a 32x32 grid of 0/1.
    g = [[0] * 32 for _ in range(32)]
    for i in range(6, 26):
        for w in (15, 16):
            g[w][i] = 1
    heads = [(6, 1)] + ([(25, -1)] if double else [])
    for tip, d in heads:
        for k in range(6):
            for w in range(16 - k, 16 + k + 1):
                x = tip + d * k
                if 0 <= x < 32:
                    g[w][x] = 1
    if vertical:
        g = [[g[x][y] for x in range(32)] for y in range(32)]
    return g

def write_cur(path, shape, hotspot):
    xor = bytearray()
    andm = bytearray()
    for row in reversed(range(32)):  # bottom-up rows
        xb = 0
        ab = 0
        for x in range(32):
            on = shape[row][x]
            xb = (xb << 1) | 0           # black where drawn
            ab = (ab << 1) | (0 if on else 1)  # transparent elsewhere
        xor += struct.pack('>I', xb)
        andm += struct.pack('>I', ab)
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + bytes(xor) + bytes(andm)
    direntry = struct.pack('<BBBBHHII', 32, 32, 0, 0, hotspot[0], hotspot[1], len(image), 22)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 2, 1) + direntry + image)

write_cur('SlideHandH.cur', arrow_shape(False, True), (16, 16))
write_cur('SlideHandV.cur', arrow_shape(True, True), (16, 16))
write_cur('SlideTrackH.cur', arrow_shape(False, False), (6, 16))
write_cur('SlideTrackV.cur', arrow_shape(True, False), (16, 6))
