#!/usr/bin/env python3
# Draws the Burn CD dialog's move-up and move-down button icons (16x16, 32-bit with alpha).
import struct, os

def icon(rows):
    size = 16
    pixels = b''
    for y in range(size - 1, -1, -1):  # bottom-up
        for x in range(size):
            inside = rows(x, y)
            pixels += struct.pack('<BBBB', 0x30, 0x30, 0x30, 0xFF) if inside else b'\0\0\0\0'
    # The AND mask marks the transparent pixels: a disabled button draws the icon through it.
    mask = b''
    for y in range(size - 1, -1, -1):
        bits = 0
        for x in range(size):
            if not rows(x, y):
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 22) + image

def up(x, y):
    # A triangle over a stem, centred.
    if 3 <= y <= 8:
        half = y - 3
        return 7 - half <= x <= 8 + half
    return 9 <= y <= 13 and 6 <= x <= 9

def down(x, y):
    return up(x, 15 - y + 1) if 0 <= 15 - y + 1 < 16 else False

here = os.path.dirname(os.path.abspath(__file__))
open(os.path.join(here, 'MoveUp.ico'), 'wb').write(icon(up))
open(os.path.join(here, 'MoveDown.ico'), 'wb').write(icon(down))
