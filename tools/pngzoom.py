#!/usr/bin/python3
"""A close look at part of a picture (a screenshot of scripts/screenshot, a rendered form).

    pngzoom.py IN.png OUT.png X Y WIDTH HEIGHT [SCALE]
        the rectangle (X, Y, WIDTH, HEIGHT) of IN.png enlarged SCALE times (default 4),
        each pixel a SCALE x SCALE square, saved as OUT.png
    pngzoom.py IN.png --runs Y [X0 X1]
        the colours of row Y from X0 to X1 (default: the whole row) as runs
        "first-last:RRGGBB", for telling apart colours that look alike

An image viewer that shrinks a whole window's picture blends small cells and near
colours (a dark grey cell between two navy ones can look navy); the enlarged part or
the runs show the pixels as they are. Reads 8-bit RGB and RGBA pictures without
interlace (what scripts/screenshot and Qt write); only the standard library.
"""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from lumodrive import write_png  # noqa: E402


def read_png(path):
    """Width, height and rows of RGB bytes."""
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit('%s: not a PNG file' % path)
    pos, idat, header = 8, [], None
    while pos + 8 <= len(data):
        size, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + size]
        pos += 12 + size
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat.append(body)
        elif kind == b'IEND':
            break
    if not header:
        sys.exit('%s: no image header' % path)
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit('%s: only 8-bit RGB or RGBA pictures without interlace are read' % path)
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(b''.join(idat))
    stride = width * bpp
    rows, prev, p = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[p], bytearray(raw[p + 1:p + 1 + stride])
        p += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
        if bpp == 4:
            rgb = bytearray(3 * width)
            rgb[0::3], rgb[1::3], rgb[2::3] = line[0::4], line[1::4], line[2::4]
            line = rgb
        rows.append(bytes(line))
    return width, height, rows


def runs(row, x0, x1):
    """The pixels x0..x1 of a row as runs of one colour."""
    out, start = [], x0
    for x in range(x0 + 1, x1 + 2):
        if x > x1 or row[3 * x:3 * x + 3] != row[3 * start:3 * start + 3]:
            out.append('%d-%d:%s' % (start, x - 1, row[3 * start:3 * start + 3].hex()))
            start = x
    return out


def main(argv):
    if len(argv) >= 3 and argv[1] == '--runs':
        width, height, rows = read_png(argv[0])
        y = int(argv[2])
        x0, x1 = (int(argv[3]), int(argv[4])) if len(argv) >= 5 else (0, width - 1)
        if not (0 <= y < height and 0 <= x0 <= x1 < width):
            sys.exit('row %d, columns %d to %d lie outside the %dx%d picture' % (y, x0, x1, width, height))
        print('  '.join(runs(rows[y], x0, x1)))
        return
    if len(argv) not in (6, 7):
        sys.exit(__doc__.split('\n\n')[1])
    src, dst = argv[0], argv[1]
    x, y, w, h = (int(v) for v in argv[2:6])
    scale = int(argv[6]) if len(argv) == 7 else 4
    width, height, rows = read_png(src)
    x, y = max(x, 0), max(y, 0)
    w, h = min(w, width - x), min(h, height - y)
    if w <= 0 or h <= 0 or scale <= 0:
        sys.exit('the rectangle lies outside the %dx%d picture' % (width, height))
    zoomed = []
    for row in rows[y:y + h]:
        part = row[3 * x:3 * (x + w)]
        line = b''.join(part[3 * i:3 * i + 3] * scale for i in range(w))
        zoomed.extend([line] * scale)
    write_png(dst, w * scale, h * scale, b''.join(zoomed))


if __name__ == '__main__':
    main(sys.argv[1:])
