#!/usr/bin/env python3
"""Turns the character-grid pictures of resources/art into .bmp, .ico and
.cur files for windres.

An art file holds a palette and named images:

    # comment
    palette
    .  none          transparent
    k  000000        any other character: a colour as RRGGBB
    image new_text
    ................ one row per line, all rows of one image equally long
    image redo mirror undo      left and right exchanged (flip: upside down)

and output lines saying what to write from them:

    strip NAME.bmp  img img ...  24-bit, images side by side, transparent
                                 pixels magenta (the image-list key colour)
    masked NAME     img          NAME.bmp (black where transparent) and
                                 NAME_mask.bmp (1 bit, 1 = transparent)
    plain NAME.bmp  img          24-bit, transparent pixels white
    vga NAME.bmp    img          4-bit with the 16 standard colours (nearest),
                                 transparent pixels silver (the menu colour)
    icon NAME.ico   img img ...  one entry per image (square sizes)
    cursor NAME.cur img X Y      hot spot at column X, row Y

Images may be named in any art file given on the same command line.
Usage: pixelart.py OUTPUT_DIR ART_FILE...
"""

import os
import struct
import sys

MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


class ArtError(Exception):
    pass


def parse(path, images, outputs):
    """Reads one art file. Pixel rows are the lines without blanks that
    follow an image line; every other line is a keyword line."""
    palette = {}
    in_palette = False
    current = None
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            where = f"{path}:{number}"
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            words = line.split()
            if current is not None and len(words) == 1 and line != "palette":
                rows = current["rows"]
                if rows and len(line) != len(rows[0]):
                    raise ArtError(f"{where}: row of {len(line)} pixels in a "
                                   f"{len(rows[0])}-pixel image")
                missing = set(line) - set(palette)
                if missing:
                    raise ArtError(f"{where}: {''.join(sorted(missing))} "
                                   "not in the palette")
                rows.append([palette[ch] for ch in line])
                continue
            current = None
            if words == ["palette"]:
                in_palette = True
            elif in_palette and len(words[0]) == 1 and len(words) >= 2 \
                    and words[0] != "#":
                try:
                    palette[words[0]] = None if words[1] == "none" else \
                        tuple(int(words[1][i:i + 2], 16) for i in (0, 2, 4))
                except ValueError:
                    raise ArtError(f"{where}: colour {words[1]} is not RRGGBB")
            elif words[0] == "image" and len(words) in (2, 4):
                in_palette = False
                if words[1] in images:
                    raise ArtError(f"{where}: image {words[1]} drawn twice")
                if len(words) == 4:
                    if words[2] not in ("mirror", "flip"):
                        raise ArtError(f"{where}: unknown transform {words[2]}")
                    images[words[1]] = {"rows": None, "where": where,
                                        "from": (words[2], words[3])}
                    continue
                current = {"rows": [], "where": where}
                images[words[1]] = current
            elif words[0] in ("strip", "masked", "plain", "vga", "icon", "cursor") \
                    and len(words) >= 3:
                in_palette = False
                outputs.append((words[0], words[1], words[2:], where))
            else:
                raise ArtError(f"{where}: cannot read '{line}'")


def pixels(images, name, where, depth=0):
    if name not in images:
        raise ArtError(f"{where}: no image named {name}")
    image = images[name]
    if image["rows"] is None:
        if depth > 16:
            raise ArtError(f"{image['where']}: transforms of {name} loop")
        how, source = image["from"]
        rows = pixels(images, source, image["where"], depth + 1)
        return [row[::-1] for row in rows] if how == "mirror" else rows[::-1]
    rows = image["rows"]
    if not rows:
        raise ArtError(f"{images[name]['where']}: image {name} is empty")
    return rows


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def dib_file(width, height, bits, palette, data):
    """BMP file of bottom-up pixel rows; palette is a list of (r, g, b)."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                         len(data), 2835, 2835, len(palette), len(palette))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(header) + len(colours)
    return struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + \
        header + colours + data


def packed_rows(rows, bits, value):
    """Bottom-up rows of value(pixel) packed at 1 or 4 bits a pixel."""
    per_byte = 8 // bits
    stride = row_bytes(len(rows[0]), bits)
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, px in enumerate(row):
            shift = 8 - bits * (x % per_byte + 1)
            line[x // per_byte] |= value(px) << shift
        data += line
    return data


def bmp24(rows, key):
    """24-bit bitmap; transparent pixels take the key colour."""
    stride = row_bytes(len(rows[0]), 24)
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for px in row:
            r, g, b = key if px is None else px
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    return dib_file(len(rows[0]), len(rows), 24, [], data)


VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
       (128, 0, 128), (0, 128, 128), (192, 192, 192), (128, 128, 128),
       (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]


def bmp4(rows):
    """4-bit bitmap in the 16 standard colours, each pixel the nearest;
    transparent pixels silver."""
    def index(px):
        px = (192, 192, 192) if px is None else px
        return min(range(16), key=lambda i: sum((a - b) ** 2
                                                for a, b in zip(px, VGA[i])))
    return dib_file(len(rows[0]), len(rows), 4, VGA, packed_rows(rows, 4, index))


def mask_bits(rows):
    """1-bit bottom-up rows: 1 where the pixel is transparent."""
    return packed_rows(rows, 1, lambda px: 1 if px is None else 0)


def bmp1(rows):
    return dib_file(len(rows[0]), len(rows), 1, [BLACK, WHITE], mask_bits(rows))


def icon_dib(rows):
    """32-bit icon image (alpha from the transparency) with its AND mask."""
    height, width = len(rows), len(rows[0])
    colour = bytearray()
    for row in reversed(rows):
        for px in row:
            colour += bytes((0, 0, 0, 0)) if px is None else \
                bytes((px[2], px[1], px[0], 255))
    mask = mask_bits(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def icon_file(entries, kind):
    """ICO (kind 1) or CUR (kind 2); entries are (rows, x, y) where x, y are
    the planes and bit count of an icon or the hot spot of a cursor."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    blobs = []
    for rows, a, b in entries:
        blob = icon_dib(rows)
        height, width = len(rows), len(rows[0])
        if width > 256 or height > 256:
            raise ArtError("icons are at most 256 pixels")
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, a, b,
                           len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def build(images, kind, name, args, where):
    if kind == "strip":
        strips = [pixels(images, n, where) for n in args]
        height = len(strips[0])
        for n, rows in zip(args, strips):
            if len(rows) != height:
                raise ArtError(f"{where}: {n} is {len(rows)} rows high, "
                               f"not {height}")
        rows = [sum((s[y] for s in strips), []) for y in range(height)]
        return {name: bmp24(rows, MAGENTA)}
    if kind == "masked":
        rows = pixels(images, args[0], where)
        return {name + ".bmp": bmp24(rows, BLACK), name + "_mask.bmp": bmp1(rows)}
    if kind == "plain":
        return {name: bmp24(pixels(images, args[0], where), WHITE)}
    if kind == "vga":
        return {name: bmp4(pixels(images, args[0], where))}
    if kind == "icon":
        entries = []
        for n in args:
            rows = pixels(images, n, where)
            if len(rows) != len(rows[0]):
                raise ArtError(f"{where}: icon image {n} is not square")
            entries.append((rows, 1, 32))
        return {name: icon_file(entries, 1)}
    if kind == "cursor":
        if len(args) != 3:
            raise ArtError(f"{where}: cursor needs an image and a hot spot")
        rows = pixels(images, args[0], where)
        x, y = int(args[1]), int(args[2])
        if not (0 <= x < len(rows[0]) and 0 <= y < len(rows)):
            raise ArtError(f"{where}: hot spot outside the image")
        return {name: icon_file([(rows, x, y)], 2)}
    raise ArtError(f"{where}: unknown output {kind}")


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir, art_files = argv[1], argv[2:]
    images, outputs = {}, []
    try:
        for path in art_files:
            parse(path, images, outputs)
        files = {}
        for kind, name, args, where in outputs:
            for fname, data in build(images, kind, name, args, where).items():
                if fname in files:
                    raise ArtError(f"{where}: {fname} is written twice")
                files[fname] = data
    except ArtError as e:
        print(f"pixelart: {e}", file=sys.stderr)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    for fname, data in files.items():
        path = os.path.join(out_dir, fname)
        tmp = path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
