#!/usr/bin/env python3
"""Writes BarRadio.bmp, the bullet of checked radio items in side-bar menus:
a monochrome 8 x 8 disc. Set bits are the background; the menu draws the
clear ones in the button-text colour and leaves the rest out.

Run from this folder after changing it; the .bmp is kept in the repository.
"""
import struct

SIZE = 8
DISC = ["........",
        "..####..",
        ".######.",
        ".######.",
        ".######.",
        ".######.",
        "..####..",
        "........"]

data = b''
for line in reversed(DISC):
    bits = 0
    for x, ch in enumerate(line):
        if ch == '.':
            bits |= 0x80 >> x
    data += bytes((bits, 0, 0, 0))  # rows padded to 4 bytes
info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 1, 0, len(data), 2835, 2835, 2, 2)
palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
offset = 14 + len(info) + len(palette)
with open('BarRadio.bmp', 'wb') as f:
    f.write(b'BM' + struct.pack('<IHHI', offset + len(data), 0, 0, offset) + info + palette + data)
