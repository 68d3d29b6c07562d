#!/usr/bin/env python3
"""Draws the About window's picture: a 32 x 32 portable radio in the
16 colours of the classic palette, written as an XPM image."""
import sys

SIZE = 32
PALETTE = {  # key -> colour; '.' is the transparent background
    '.': 'None', 'k': '#000000', 'w': '#FFFFFF', 's': '#C0C0C0', 'g': '#808080',
    'm': '#800000', 'r': '#FF0000', 'y': '#FFFF00', 'o': '#808000', 'n': '#000080',
    'b': '#0000FF', 'c': '#00FFFF',
}

grid = [['.'] * SIZE for _ in range(SIZE)]


def put(x, y, key):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        grid[y][x] = key


def rect(x0, y0, x1, y1, fill, edge=None):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            border = x in (x0, x1) or y in (y0, y1)
            put(x, y, edge if border and edge else fill)


def disc(cx, cy, r, fill, edge=None):
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if d <= r * r + r:
                inner = d <= (r - 1) ** 2 + (r - 1)
                put(x, y, fill if inner or not edge else edge)


def line(x0, y0, x1, y1, key):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), key)


# Antenna with its knob, then the carrying handle.
line(23, 11, 29, 2, 'g')
line(24, 11, 30, 2, 's')
disc(29, 2, 1, 'k')
rect(6, 5, 20, 7, 's', 'k')
rect(7, 8, 9, 10, 'g', 'k')
rect(17, 8, 19, 10, 'g', 'k')
# Body with a light top edge and a dark lower edge.
rect(1, 11, 30, 29, 'm', 'k')
line(2, 12, 29, 12, 'r')
line(2, 28, 29, 28, 'k')
# Speaker: a grey disc with a grille of holes.
disc(9, 20, 6, 'g', 'k')
for y in range(16, 25, 2):
    for x in range(5, 14, 2):
        if (x - 9) ** 2 + (y - 20) ** 2 <= 20:
            put(x, y, 'k')
# Tuning dial with its scale and needle.
rect(17, 14, 28, 20, 'y', 'k')
for x in range(19, 28, 2):
    put(x, 15, 'o')
line(21, 19, 23, 15, 'r')
# Two knobs.
disc(19, 24, 2, 's', 'k')
disc(26, 24, 2, 's', 'k')
put(19, 23, 'w')
put(26, 23, 'w')
# Feet.
rect(3, 30, 6, 30, 'k')
rect(25, 30, 28, 30, 'k')

used = sorted({key for row in grid for key in row})
out = ['/* XPM */', 'static const char* const about_icon[] = {',
       f'"{SIZE} {SIZE} {len(used)} 1",']
out += [f'"{key} c {PALETTE[key]}",' for key in used]
out += [f'"{"".join(row)}",' for row in grid]
out[-1] = out[-1].rstrip(',')
out.append('};')
sys.stdout.write('\n'.join(out) + '\n')
