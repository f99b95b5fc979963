#!/usr/bin/env python3
"""Draws the program's icons from its XPM images, the one reader of them
besides Qt's own at run time:

    xpmicons.py ico INPUT.xpm OUTPUT.ico
    xpmicons.py png SIZE INPUT.xpm OUTPUT.png
    xpmicons.py svg INPUT.xpm OUTPUT.svg

A Windows icon (the program's, and the stock buttons' glyphs, which the
Windows build carries as resources) holds the XPM at its own size as a
16-colour bitmap, the form every Windows draws, and two 32-bit images with
transparency: at half size (each pixel the average of a 2 x 2 block, for
title bars and the task bar) and at double size (each pixel repeated, for
large icon views). The desktop icons keep the hard pixel edges of the
16-colour design: the PNGs are nearest-neighbour samples, which never blend
two colours into one the design lacks, and the SVG's rects (one per run of
same-coloured pixels) ask renderers not to antialias their edges. Only the
Python standard library is used, so no build needs anything else.
"""

import re
import struct
import sys
import zlib


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


def ico(rows):
    size = len(rows)
    images = [(size, 4, 16, image_16_colours(rows))]
    if size % 2 == 0:
        images.append((size // 2, 32, 0, image_32_bits(halved(rows))))
    if size * 2 <= 256:
        images.append((size * 2, 32, 0, image_32_bits(doubled(rows))))
    return images


def scaled_nearest(rows, size):
    """Samples at each target pixel's centre, so an exact halving takes one
    pixel of every 2 x 2 block and odd ratios spread the repeats evenly."""
    source = len(rows)
    picks = [(2 * i + 1) * source // (2 * size) for i in range(size)]
    return [[rows[y][x] for x in picks] for y in picks]


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    size = len(rows)
    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def svg(rows):
    size = len(rows)
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n'
           f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
           f'viewBox="0 0 {size} {size}" shape-rendering="crispEdges">\n']
    for y, row in enumerate(rows):
        x = 0
        while x < size:
            end = x + 1
            while end < size and row[end] == row[x]:
                end += 1
            r, g, b, a = row[x]
            if a != 0:
                opacity = "" if a == 255 else f' fill-opacity="{a / 255:.3g}"'
                out.append(f'<rect x="{x}" y="{y}" width="{end - x}" height="1" fill="#{r:02x}{g:02x}{b:02x}"{opacity}/>\n')
            x = end
    out.append("</svg>\n")
    return "".join(out).encode("ascii")


def main(argv):
    kind = argv[1] if len(argv) > 1 else ""
    if kind == "ico" and len(argv) == 4:
        write_ico(argv[3], ico(read_xpm(argv[2])[1]))
    elif kind == "png" and len(argv) == 5 and argv[2].isdigit() and int(argv[2]) > 0:
        with open(argv[4], "wb") as out:
            out.write(png(scaled_nearest(read_xpm(argv[3])[1], int(argv[2]))))
    elif kind == "svg" and len(argv) == 4:
        with open(argv[3], "wb") as out:
            out.write(svg(read_xpm(argv[2])[1]))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
