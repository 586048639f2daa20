#!/usr/bin/env python3
"""Turns pixel pictures kept as text into Windows icon, cursor and bitmap files.

    mkicon.py [--scale N] OUTPUT INPUT [INPUT...]

The kind of OUTPUT follows its extension: .ico and .cur take one or more pictures (one image
each, in the order given); .bmp takes exactly one. --scale N draws every pixel as N by N
pixels (a hot spot moves with it): the same picture, as crisp, for screens of N times the
96 dpi that the pictures are drawn for. Only the standard library is used, so the
build can run it anywhere Python 3 runs.

A picture file holds, line by line:
    # a comment (only at the start of a line; among the pixel rows, where # is no pixel)
    bits N            optional: 1, 4 or 8 bits per pixel; else the fewest that hold the colours
    hotspot X Y       optional, cursors only: the pixel that points
    palette           then one line per pixel character:
    C #RRGGBB [words] a colour, for example  K #1A2A4A outline
    C transparent     the background shows through (icons and cursors only)
    C inverted        the background shows inverted (icons and cursors only)
    pixels            then the rows, top to bottom, one character per pixel
Every row of a picture has the same width; blanks are not pixel characters. A file may hold
several pictures, each begun by its own "pixels" line and drawn in the one palette: the sizes
of one icon, which the system chooses from by the size it shows.
"""

import copy
import struct
import sys


class PictureError(Exception):
    pass


class Picture:
    def __init__(self, path):
        self.path = path
        self.bits = None
        self.hotspot = (0, 0)
        self.legend = {}  # character -> (r, g, b) or "transparent" / "inverted"
        self.rows = []
        self.sections = []  # the rows of each picture of the file; rows is the first
        self._parse()

    def _fail(self, number, text):
        raise PictureError(f"{self.path}:{number}: {text}")

    def _parse(self):
        with open(self.path, encoding="utf-8") as source:
            lines = source.read().splitlines()
        part = None
        for number, raw in enumerate(lines, 1):
            line = raw.rstrip()
            if part != "pixels" and (not line.strip() or line.lstrip().startswith("#")):
                continue
            words = line.split()
            if part == "pixels" and line.strip() == "pixels":
                self.sections.append([])
            elif part == "pixels":
                # A comment between pictures, where "#" draws no pixel.
                if not line or (line.startswith("#") and "#" not in self.legend):
                    continue
                self.sections[-1].append(line)
            elif words[0] == "bits" and len(words) == 2:
                self.bits = int(words[1])
                if self.bits not in (1, 4, 8):
                    self._fail(number, "bits must be 1, 4 or 8")
            elif words[0] == "hotspot" and len(words) == 3:
                self.hotspot = (int(words[1]), int(words[2]))
            elif words[0] in ("palette", "pixels") and len(words) == 1:
                part = words[0]
                if part == "pixels":
                    self.sections.append([])
            elif part == "palette" and len(words) >= 2 and len(words[0]) == 1:
                self.legend[words[0]] = self._colour(number, words[1])
            else:
                self._fail(number, f"cannot read {line.strip()!r}")
        if not self.sections or not all(self.sections):
            self._fail(len(lines), "no pixels")
        for rows in self.sections:
            self._check(rows)
        self._take(self.sections[0])

    def _check(self, rows):
        width = len(rows[0])
        for number, row in enumerate(rows, 1):
            if len(row) != width:
                self._fail(number, f"pixel row {number} is {len(row)} wide, not {width}")
            for char in row:
                if char not in self.legend:
                    self._fail(number, f"pixel row {number}: {char!r} is not in the palette")
        if not (1 <= width <= 256 and 1 <= len(rows) <= 256):
            self._fail(1, "a picture is 1 to 256 pixels wide and high")

    def _take(self, rows):
        self.rows = rows
        self.width = len(rows[0])
        self.height = len(rows)

    def scaled(self, factor):
        """The picture with each pixel repeated factor times across and down."""
        picture = copy.copy(self)
        picture._take([
            "".join(char * factor for char in row)
            for row in self.rows
            for _ in range(factor)
        ])
        picture.hotspot = (self.hotspot[0] * factor, self.hotspot[1] * factor)
        return picture

    def each(self):
        """One picture for each "pixels" part of the file, all with its palette and settings."""
        pictures = []
        for rows in self.sections:
            picture = copy.copy(self)
            picture._take(rows)
            pictures.append(picture)
        return pictures

    def _colour(self, number, word):
        if word in ("transparent", "inverted"):
            return word
        if len(word) == 7 and word[0] == "#":
            try:
                value = int(word[1:], 16)
            except ValueError:
                pass
            else:
                return (value >> 16, (value >> 8) & 0xFF, value & 0xFF)
        self._fail(number, f"{word!r} is neither #RRGGBB, transparent nor inverted")

    def indexed(self, masked):
        """Palette (list of RGB), colour index rows and mask rows (1 = background)."""
        special = {c for c in self.legend.values() if isinstance(c, str)}
        if special and not masked:
            raise PictureError(f"{self.path}: a .bmp cannot hold transparent or inverted pixels")
        palette = []

        def index_of(rgb):
            if rgb not in palette:
                palette.append(rgb)
            return palette.index(rgb)

        # The screen is ANDed with the mask and then XORed with the colour: a background pixel
        # needs black to stay as it is and white to come out inverted.
        if "transparent" in special:
            index_of((0, 0, 0))
        if "inverted" in special:
            index_of((255, 255, 255))
        stand_in = {"transparent": (0, 0, 0), "inverted": (255, 255, 255)}
        for colour in self.legend.values():
            index_of(stand_in[colour] if isinstance(colour, str) else colour)
        bits = self.bits or next(b for b in (1, 4, 8) if len(palette) <= 1 << b)
        if len(palette) > 1 << bits:
            raise PictureError(f"{self.path}: {len(palette)} colours do not fit in {bits} bits")
        palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
        colours, mask = [], []
        for row in self.rows:
            colour_row, mask_row = [], []
            for char in row:
                colour = self.legend[char]
                if isinstance(colour, str):
                    colour_row.append(palette.index(stand_in[colour]))
                    mask_row.append(1)
                else:
                    colour_row.append(palette.index(colour))
                    mask_row.append(0)
            colours.append(colour_row)
            mask.append(mask_row)
        return bits, palette, colours, mask


def pack_rows(rows, bits):
    """Bottom-up rows of packed pixels, each padded to a multiple of 4 bytes."""
    packed = bytearray()
    for row in reversed(rows):
        line = bytearray()
        accumulator, filled = 0, 0
        for value in row:
            accumulator = (accumulator << bits) | value
            filled += bits
            if filled == 8:
                line.append(accumulator)
                accumulator, filled = 0, 0
        if filled:
            line.append(accumulator << (8 - filled))
        line += bytes(-len(line) % 4)
        packed += line
    return bytes(packed)


def dib(picture, masked):
    """A BITMAPINFOHEADER, its palette and the pixels; icons add their AND mask below."""
    bits, palette, colours, mask = picture.indexed(masked)
    pixels = pack_rows(colours, bits)
    if masked:
        pixels += pack_rows(mask, 1)
    height = picture.height * 2 if masked else picture.height
    header = struct.pack("<IiiHHIIiiII", 40, picture.width, height, 1, bits, 0, len(pixels),
                         0, 0, len(palette), 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + pixels, bits, len(palette)


def icon_file(pictures, cursor):
    images = [dib(picture, True) for picture in pictures]
    out = struct.pack("<HHH", 0, 2 if cursor else 1, len(images))
    offset = 6 + 16 * len(images)
    for picture, (data, bits, colours) in zip(pictures, images):
        first, second = picture.hotspot if cursor else (1, bits)
        out += struct.pack("<BBBBHHII", picture.width % 256, picture.height % 256,
                           colours if colours < 256 else 0, 0, first, second, len(data), offset)
        offset += len(data)
    return out + b"".join(data for data, _, _ in images)


def bitmap_file(picture):
    data, _, colours = dib(picture, False)
    offset = 14 + 40 + 4 * colours
    return struct.pack("<2sIHHI", b"BM", 14 + len(data), 0, 0, offset) + data


def main(argv):
    factor = 1
    if len(argv) > 2 and argv[1] == "--scale":
        if not argv[2].isdigit() or not 1 <= int(argv[2]) <= 8:
            sys.stderr.write("mkicon: --scale takes a whole number from 1 to 8\n")
            return 2
        factor = int(argv[2])
        argv = argv[:1] + argv[3:]
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    output, inputs = argv[1], argv[2:]
    try:
        pictures = [each.scaled(factor) for path in inputs for each in Picture(path).each()]
        large = any(p.width > 256 or p.height > 256 for p in pictures)
        if large and output.lower().endswith((".ico", ".cur")):
            raise PictureError(f"{output}: an icon or cursor is at most 256 pixels wide and high")
        kind = output.lower().rsplit(".", 1)[-1]
        if kind in ("ico", "cur"):
            content = icon_file(pictures, kind == "cur")
        elif kind == "bmp" and len(pictures) == 1:
            content = bitmap_file(pictures[0])
        else:
            raise PictureError(f"{output}: write .ico, .cur or .bmp (a .bmp from one picture)")
    except (OSError, PictureError) as error:
        sys.stderr.write(f"mkicon: {error}\n")
        return 1
    with open(output, "wb") as target:
        target.write(content)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
