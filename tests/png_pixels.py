"""Prints how dark a PNG is around given pixels, for the rendering tests.

    python3 png_pixels.py FILE.png X,Y ...

For each X,Y (pixels from the top left) one line: the lowest red, green or
blue value (0 black to 255 white) among the 5 x 5 pixels around it. Reads
the 8-bit RGB and RGBA images rsvg-convert writes; standard library only.
"""

import struct
import sys
import zlib


def unfiltered(kind, row, above, step):
    """A row of bytes after the PNG filter `kind` is undone."""
    if kind == 0:
        return row
    if kind == 2:
        return bytearray((x + y) & 255 for x, y in zip(row, above))
    out = bytearray(row)
    for i, value in enumerate(row):
        left = out[i - step] if i >= step else 0
        up = above[i]
        corner = above[i - step] if i >= step else 0
        if kind == 1:
            guess = left
        elif kind == 3:
            guess = (left + up) // 2
        else:
            base = left + up - corner
            near = sorted(((abs(base - left), 0, left), (abs(base - up), 1, up),
                           (abs(base - corner), 2, corner)))
            guess = near[0][2]
        out[i] = (value + guess) & 255
    return out


def main():
    data = open(sys.argv[1], 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit('not a PNG file')
    width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', data[16:29])
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        sys.exit('not an 8-bit RGB or RGBA image without interlacing')
    step = 3 if colour == 2 else 4
    packed = bytearray()
    at = 8
    while at < len(data):
        size, name = struct.unpack('>I4s', data[at:at + 8])
        if name == b'IDAT':
            packed += data[at + 8:at + 8 + size]
        at += size + 12
    raw = zlib.decompress(bytes(packed))
    points = [tuple(int(n) for n in text.split(',')) for text in sys.argv[2:]]
    last_row = min(height - 1, max(y for _, y in points) + 2)
    stride = width * step
    rows = []
    above = bytearray(stride)
    for y in range(last_row + 1):
        start = y * (stride + 1)
        above = unfiltered(raw[start], raw[start + 1:start + 1 + stride], above, step)
        rows.append(above)
    for x, y in points:
        darkest = 255
        for row in rows[max(0, y - 2):y + 3]:
            for column in range(max(0, x - 2), min(width, x + 3)):
                darkest = min(darkest, min(row[column * step:column * step + 3]))
        print(darkest)


main()
