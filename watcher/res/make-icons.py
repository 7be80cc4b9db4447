#!/usr/bin/env python3
"""Draws the watcher's icons as pixel art and writes them as .ico files.

Run from this folder after changing a picture; the .ico files are kept in
the repository, so the build needs no Python.
"""
import struct

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
K, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)


class Canvas:
    def __init__(self, size=16):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def set(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def disc(self, cx, cy, r, fill, edge=None):
        for y in range(self.size):
            for x in range(self.size):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r:
                    self.set(x, y, edge if edge is not None and d > (r - 1) ** 2 else fill)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0)) or 1
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def text(self, x, y, rows, c):
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch == '#':
                    self.set(x + i, y + j, c)


def ip_letters(c):
    # "IP" in the upper left, on a white backing so it reads on any picture.
    c.rect(0, 0, 5, 6, WHITE)
    c.text(1, 1, ["#.##.", "#.#.#", "#.##.", "#.#..", "#.#.."], NAVY)


def searching():
    c = Canvas()
    c.disc(9, 8, 5, AQUA, K)
    c.set(7, 6, WHITE); c.set(8, 6, WHITE); c.set(7, 7, WHITE)
    for d in range(3):
        c.line(12 + d, 12 + d, 13 + d, 12 + d, MAROON)
        c.line(12 + d, 13 + d, 12 + d, 13 + d, K)
    ip_letters(c)
    return c


def house():
    c = Canvas()
    for i in range(6):
        c.line(10 - i, 3 + i, 10 + i, 3 + i, RED)
    c.line(4, 8, 10, 2, MAROON); c.line(10, 2, 16, 8, MAROON)
    c.rect(5, 9, 15, 15, YELLOW)
    c.rect(5, 15, 15, 15, OLIVE); c.rect(5, 9, 5, 15, OLIVE); c.rect(15, 9, 15, 15, OLIVE)
    c.rect(9, 11, 11, 15, MAROON)
    c.rect(13, 10, 14, 11, AQUA)
    ip_letters(c)
    return c


def globe():
    c = Canvas()
    c.disc(10, 10, 6, BLUE, NAVY)
    for x, y in [(8, 6), (9, 6), (7, 7), (8, 7), (9, 7), (8, 8), (12, 9), (13, 9), (12, 10), (13, 10), (14, 10),
                 (12, 11), (13, 11), (8, 12), (9, 12), (9, 13), (11, 14)]:
        c.set(x, y, LIME)
    c.set(7, 9, AQUA); c.set(8, 10, AQUA)
    ip_letters(c)
    return c


def warning():
    c = Canvas()
    for i in range(12):
        half = i // 2
        c.line(10 - half, 4 + i, 10 + half, 4 + i, YELLOW)
        c.set(10 - half, 4 + i, K); c.set(10 + half, 4 + i, K)
    c.line(4, 15, 16, 15, K)
    c.rect(10, 7, 10, 11, K); c.set(10, 13, K)
    ip_letters(c)
    return c


def symbol(bg, rows, fg):
    c = Canvas()
    c.disc(7.5, 7.5, 7, bg, NAVY if bg == BLUE else K)
    c.text(8 - len(rows[0]) // 2, 8 - len(rows) // 2, rows, fg)
    return c


def options():
    c = Canvas()
    c.rect(1, 2, 14, 13, SILVER)
    c.rect(1, 2, 14, 3, NAVY)
    c.line(1, 13, 14, 13, GRAY); c.line(14, 2, 14, 13, GRAY)
    for y in (6, 9):
        c.rect(3, y, 5, y + 1, WHITE); c.set(4, y, K)
        c.line(7, y, 12, y, K)
    return c


def exit_picture():
    c = Canvas()
    c.rect(3, 1, 10, 14, MAROON)
    c.rect(4, 2, 9, 14, OLIVE)
    c.set(8, 8, YELLOW)
    c.line(11, 7, 15, 7, RED); c.line(13, 5, 15, 7, RED); c.line(13, 9, 15, 7, RED)
    return c


def hide_tray():
    c = Canvas()
    c.rect(0, 9, 15, 14, SILVER)
    c.line(0, 9, 15, 9, WHITE); c.line(0, 14, 15, 14, GRAY)
    c.rect(10, 10, 13, 13, GRAY)
    c.line(2, 2, 7, 7, RED); c.line(7, 2, 2, 7, RED)
    c.line(3, 2, 8, 7, RED); c.line(8, 2, 3, 7, RED)
    return c


def check_mark():
    c = Canvas()
    for d in range(2):
        c.line(2, 8 + d, 6, 12 + d, GREEN); c.line(6, 12 + d, 13, 4 + d, GREEN)
    return c


def cross():
    c = Canvas()
    for d in range(2):
        c.line(3 + d, 3, 12 + d, 12, RED); c.line(12 + d, 3, 3 + d, 12, RED)
    return c


def computer():
    """The tray menu's bar picture: a monitor on a desk unit, 24 x 24."""
    c = Canvas(24)
    c.rect(3, 1, 20, 14, SILVER)       # monitor case
    c.rect(3, 1, 20, 1, WHITE)
    c.rect(3, 1, 3, 14, WHITE)
    c.rect(20, 2, 20, 14, GRAY)
    c.rect(4, 14, 20, 14, GRAY)
    c.rect(5, 3, 18, 12, NAVY)         # screen
    c.rect(6, 4, 17, 11, BLUE)
    c.line(7, 5, 10, 5, AQUA)
    c.line(7, 7, 13, 7, AQUA)
    c.line(7, 9, 11, 9, AQUA)
    c.rect(9, 15, 14, 16, GRAY)        # stand
    c.rect(1, 17, 22, 22, SILVER)      # desk unit
    c.rect(1, 17, 22, 17, WHITE)
    c.rect(1, 17, 1, 22, WHITE)
    c.rect(1, 22, 22, 22, K)
    c.rect(22, 17, 22, 22, K)
    c.rect(4, 19, 12, 20, GRAY)        # drive slot
    c.set(18, 20, LIME)                # power light
    return c


def write_bmp24(name, c, key):
    """A 24-bit bitmap; empty pixels take the key colour, which the bar leaves out."""
    row_size = (c.size * 3 + 3) // 4 * 4
    data = b''
    for y in reversed(range(c.size)):
        row = b''
        for x in range(c.size):
            r, g, b = VGA[c.px[y][x]] if c.px[y][x] is not None else key
            row += bytes((b, g, r))
        data += row + b'\0' * (row_size - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, c.size, c.size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(name, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data)


def scaled(c, factor):
    big = Canvas(c.size * factor)
    for y in range(c.size):
        for x in range(c.size):
            big.rect(x * factor, y * factor, x * factor + factor - 1, y * factor + factor - 1, c.px[y][x])
    return big


# -------------------------------------------------------------- ico writer

def rows_of(bits, width):
    return ((width * bits + 31) // 32) * 4


def and_mask(c):
    out = b''
    stride = rows_of(1, c.size)
    for y in reversed(range(c.size)):
        row = bytearray(stride)
        for x in range(c.size):
            if c.px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        out += bytes(row)
    return out


def header(c, bits, colours):
    n = c.size
    return struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, bits, 0,
                       rows_of(bits, n) * n + rows_of(1, n) * n, 0, 0, colours, 0)


def paletted(c, bits, palette, index_of):
    n = c.size
    data = header(c, bits, len(palette))
    data += b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    data += bytes(4 * ((1 << bits) - len(palette)))
    stride = rows_of(bits, n)
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            i = index_of(c.px[y][x])
            if bits == 4:
                row[x // 2] |= i << (4 if x % 2 == 0 else 0)
            else:
                row[x] = i
        data += bytes(row)
    return data + and_mask(c)


def image4(c):
    return paletted(c, 4, VGA, lambda p: 0 if p is None else p)


# The 256-colour image: the 16 colours, then a 6x6x6 cube, so that the
# lighter shades of the 256-colour picture have colours of their own.
CUBE = VGA + [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]


def lighter(rgb, amount):
    return tuple(min(255, v + amount) for v in rgb)


def image8(c):
    def index(p):
        if p is None:
            return 0
        r, g, b = VGA[p]
        return p if p in (K, WHITE) else 16 + 36 * round(r / 51) + 6 * round(g / 51) + round(b / 51)
    return paletted(c, 8, CUBE, index)


def image32(c):
    n = c.size
    data = header(c, 32, 0)
    for y in reversed(range(n)):
        for x in range(n):
            p = c.px[y][x]
            if p is None:
                # A soft shadow below and right of the picture.
                shadow = y > 0 and x > 0 and c.px[y - 1][x - 1] is not None
                data += struct.pack('<BBBB', 0, 0, 0, 60 if shadow else 0)
            else:
                r, g, b = lighter(VGA[p], 24 if y < n // 2 and p not in (K, WHITE, NAVY) else 0)
                data += struct.pack('<BBBB', b, g, r, 255)
    return data + and_mask(c)


def write_ico(name, images):
    """images: list of (canvas, bits, data)."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, bits, data in images:
        colours = 16 if bits == 4 else 0
        out += struct.pack('<BBBBHHII', c.size % 256, c.size % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, _, data in images)
    with open(name, 'wb') as f:
        f.write(out)


def simple(name, c):
    write_ico(name, [(c, 4, image4(c))])


def rich(name, c):
    write_ico(name, [(c, 4, image4(c)), (c, 8, image8(c)), (c, 32, image32(c))])


states = [searching(), house(), globe(), warning()]
for i, c in enumerate(states, 1):
    simple(f'state{i}.ico', c)
    rich(f'state{i}-rich.ico', c)
big = scaled(globe(), 2)
write_ico('orvandel.ico', [(globe(), 4, image4(globe())), (globe(), 32, image32(globe())),
                           (big, 4, image4(big)), (big, 32, image32(big))])
simple('menu-options.ico', options())
simple('menu-help.ico', symbol(BLUE, ["###", "..#", ".##", ".#.", "...", ".#."], WHITE))
simple('menu-info.ico', symbol(BLUE, ["#", ".", "#", "#", "#", "#"], WHITE))
simple('menu-exit.ico', exit_picture())
simple('menu-hide.ico', hide_tray())
simple('ok.ico', check_mark())
simple('abort.ico', cross())
write_bmp24('computer.bmp', computer(), (255, 0, 255))
