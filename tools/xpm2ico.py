#!/usr/bin/env python3
"""Draws the Windows icon file (.ico) of the program from its XPM.

    xpm2ico.py INPUT.xpm OUTPUT.ico

The icon holds the XPM at its own size as a 16-colour bitmap, the form
every Windows draws, and two 32-bit images with transparency: at half size
(each pixel the average of a 2 x 2 block, for title bars and the task bar)
and at double size (each pixel repeated, for large icon views). Only the
Python standard library is used, so the cross build needs nothing else.
"""

import re
import struct
import sys


def read_xpm(path):
    """Returns (size, rows) with rows of (r, g, b, a) tuples."""
    with open(path, encoding="ascii") as source:
        strings = re.findall(r'"((?:[^"\\]|\\.)*)"', source.read())
    width, height, colours, per_pixel = (int(v) for v in strings[0].split()[:4])
    if width != height or per_pixel != 1:
        raise ValueError("the icon must be square with one character per pixel")
    palette = {}
    for line in strings[1:1 + colours]:
        key, kind, value = line[0], line[2], line[4:].strip()
        if kind != "c":
            raise ValueError("only 'c' colours are read: " + line)
        if value == "None":
            palette[key] = (0, 0, 0, 0)
        elif re.fullmatch(r"#[0-9A-Fa-f]{6}", value):
            palette[key] = (int(value[1:3], 16), int(value[3:5], 16), int(value[5:7], 16), 255)
        else:
            raise ValueError("unknown colour: " + line)
    rows = [[palette[c] for c in row] for row in strings[1 + colours:1 + colours + height]]
    if len(rows) != height or any(len(row) != width for row in rows):
        raise ValueError("the pixel rows do not match the size")
    return width, rows


def mask_rows(rows):
    """The AND mask, bottom row first: 1 where transparent, rows padded to 32 bits."""
    size = len(rows)
    stride = (size + 31) // 32 * 4
    out = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def header(size, bits, colours):
    # BITMAPINFOHEADER; the height counts the colour and the mask bitmap.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def image_16_colours(rows):
    opaque = sorted({p[:3] for row in rows for p in row if p[3] != 0})
    if len(opaque) > 15:
        raise ValueError("the 16-colour image takes at most 15 colours and transparency")
    palette = [(0, 0, 0)] + opaque  # index 0 under the transparent pixels
    index = {colour: i for i, colour in enumerate(palette)}
    size = len(rows)
    stride = (size * 4 + 31) // 32 * 4
    pixels = b""
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            value = index[p[:3]] if p[3] != 0 else 0
            line[x // 2] |= value << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    table += bytes(4 * (16 - len(palette)))
    return header(size, 4, 16) + table + pixels + mask_rows(rows)


def image_32_bits(rows):
    size = len(rows)
    pixels = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(rows) for r, g, b, a in row)
    return header(size, 32, 0) + pixels + mask_rows(rows)


def halved(rows):
    out = []
    for y in range(0, len(rows), 2):
        line = []
        for x in range(0, len(rows), 2):
            block = [rows[y][x], rows[y][x + 1], rows[y + 1][x], rows[y + 1][x + 1]]
            alpha = sum(p[3] for p in block)
            if alpha == 0:
                line.append((0, 0, 0, 0))
                continue
            # Colours weighted by their opacity, so transparent black does not darken the edges.
            channel = [round(sum(p[i] * p[3] for p in block) / alpha) for i in range(3)]
            line.append((*channel, round(alpha / 4)))
        out.append(line)
    return out


def doubled(rows):
    return [[p for p in row for _ in (0, 1)] for row in rows for _ in (0, 1)]


def write_ico(path, images):
    entries = b""
    data = b""
    offset = 6 + 16 * len(images)
    for size, bits, colours, blob in images:
        dimension = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dimension, dimension, colours, 0, 1, bits, len(blob), offset + len(data))
        data += blob
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(images)) + entries + data)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    size, rows = read_xpm(argv[1])
    images = [(size, 4, 16, image_16_colours(rows))]
    if size % 2 == 0:
        images.append((size // 2, 32, 0, image_32_bits(halved(rows))))
    if size * 2 <= 256:
        images.append((size * 2, 32, 0, image_32_bits(doubled(rows))))
    write_ico(argv[2], images)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
