#!/usr/bin/env python3
"""Draws the program's icons (32-bit, with alpha) into .ico files: Folder.ico, the folder
browser button of the split-to-files dialog. Run from this folder."""
import struct


def folder(size):
    """An open manila folder with a darker back, a tab and a soft outline."""
    s = size / 16.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    outline = (120, 82, 20, 255)
    back = (214, 160, 58, 255)
    front = (246, 202, 96, 255)
    light = (252, 228, 160, 255)
    rect(1, 3, 7, 5, outline)      # tab
    rect(1.5, 3.5, 6.5, 5, back)
    rect(1, 4.5, 15, 14, outline)  # back
    rect(1.5, 5, 14.5, 13.5, back)
    rect(1, 7, 15, 14, outline)    # front
    rect(1.5, 7.5, 14.5, 13.5, front)
    rect(1.5, 7.5, 14.5, 8.5, light)
    return px


def bmp_entry(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(struct.pack('BBBB', b, g, r, a) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b''.join(
        bytes(int(''.join('1' if px[y][x + i][3] == 0 else '0' for i in range(8)), 2)
              for x in range(0, size, 8)).ljust(mask_row, b'\0')
        for y in reversed(range(size)))
    return header + pixels + mask


def write_icon(name, images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for px in images:
        blob = bmp_entry(px)
        size = len(px)
        entries.append(struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(name, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs))


if __name__ == '__main__':
    write_icon('Folder.ico', [folder(16), folder(32)])
