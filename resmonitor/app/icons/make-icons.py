#!/usr/bin/env python3
"""Writes the monitor's icons: a round lamp on a transparent ground, one colour per state.

Run once after changing a picture; the .ico files are committed.
"""
import struct

def icon(size, rgb):
    r, g, b = rgb
    pixels = bytearray()
    mask = bytearray()
    centre = (size - 1) / 2
    radius = size / 2 - 1
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up rows
        row_px = bytearray()
        bits = 0
        row_mask = bytearray()
        for x in range(size):
            d = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
            inside = d <= radius
            edge = radius - 1.2 < d <= radius
            if inside:
                c = (0, 0, 0) if edge else (r, g, b)
                row_px += bytes((c[2], c[1], c[0], 255))
            else:
                row_px += bytes((0, 0, 0, 0))
            bits = (bits << 1) | (0 if inside else 1)
            if x % 8 == 7:
                row_mask.append(bits)
                bits = 0
        while len(row_mask) % 4:
            row_mask.append(0)
        pixels += row_px
        mask += row_mask
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image

for name, size, rgb in [('normal', 16, (0, 170, 0)), ('checking', 16, (230, 190, 0)),
                        ('low', 16, (210, 0, 0)), ('about', 32, (0, 110, 200))]:
    with open(f'{name}.ico', 'wb') as f:
        f.write(icon(size, rgb))
