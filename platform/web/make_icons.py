#!/usr/bin/env python3
"""Write the page's icons, icon-192.png and icon-512.png, into a folder:
a mass hanging from a spring under a ceiling, drawn in the program's red,
on a blue square. The icons are kept beside this script, so the build only
copies them; run it again after changing the drawing:

    python3 platform/web/make_icons.py platform/web
"""
import struct
import sys
import zlib

BLUE = (51, 102, 204)
WHITE = (255, 255, 255)
RED = (230, 30, 30)


def distance_to_segment(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return ((x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2) ** 0.5


# The spring: a zigzag from the ceiling down to the mass, in units of the
# icon's side.
SPRING = [(0.5, 0.22), (0.5, 0.28)] + [
    (0.38 if i % 2 == 0 else 0.62, 0.31 + 0.045 * i) for i in range(7)] + [(0.5, 0.62), (0.5, 0.66)]


def colour(u, v):
    """The colour at (u, v), both 0..1 from the top left corner."""
    if 0.16 <= u <= 0.84 and 0.16 <= v <= 0.22:
        return WHITE                                   # the ceiling
    if 0.3 <= u <= 0.7 and 0.66 <= v <= 0.86:
        return RED                                     # the mass
    if any(distance_to_segment(u, v, a, b) < 0.018 for a, b in zip(SPRING, SPRING[1:])):
        return WHITE
    return BLUE


def png(size):
    rows = []
    for y in range(size):
        row = bytearray([0])                           # filter: none
        for x in range(size):
            row.extend(colour((x + 0.5) / size, (y + 0.5) / size))
        rows.append(bytes(row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    header = struct.pack('>IIBBBBB', size, size, 8, 2, 0, 0, 0)  # 8-bit RGB
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b''))


if __name__ == '__main__':
    for side in (192, 512):
        with open(f'{sys.argv[1]}/icon-{side}.png', 'wb') as out:
            out.write(png(side))
