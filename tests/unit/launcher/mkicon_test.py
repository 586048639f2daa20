#!/usr/bin/env python3
"""Tests of scripts/mkicon.py: the files it writes are what Windows reads, pixel for pixel."""

import contextlib
import importlib.util
import io
import os
import struct
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "..", "scripts", "mkicon.py")
mkicon_source = importlib.util.spec_from_file_location("mkicon", SCRIPT)
mkicon = importlib.util.module_from_spec(mkicon_source)
mkicon_source.loader.exec_module(mkicon)


class MkiconTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.folder.cleanup()

    def picture(self, name, text):
        path = os.path.join(self.folder.name, name)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
        return path

    def make(self, output, *pictures):
        target = os.path.join(self.folder.name, output)
        with contextlib.redirect_stderr(io.StringIO()):
            code = mkicon.main(["mkicon.py", target, *pictures])
        content = None
        if os.path.exists(target):
            with open(target, "rb") as made:
                content = made.read()
        return code, content

    def test_icon_rows_are_bottom_up_with_high_nibble_first_and_a_mask(self):
        # Row 0: red, transparent, blue; row 1: blue, red, blue.
        path = self.picture("p.txt", "bits 4\npalette\n. transparent\nr #FF0000\n"
                                     "b #0000FF\npixels\nr.b\nbrb\n")
        code, data = self.make("p.ico", path)
        self.assertEqual(code, 0)
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 1))
        width, height, colours, _, planes, bits, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6)
        self.assertEqual((width, height, colours, planes, bits, offset), (3, 2, 16, 1, 4, 22))
        self.assertEqual(len(data), offset + size)
        header = struct.unpack_from("<IiiHHI", data, offset)
        self.assertEqual(header, (40, 3, 4, 1, 4, 0))  # the height counts the mask too
        palette = data[offset + 40: offset + 40 + 64]
        # Transparent pixels need black at their index; colours are stored blue, green, red.
        self.assertEqual(palette[0:4], b"\x00\x00\x00\x00")
        self.assertEqual(palette[4:8], b"\x00\x00\xff\x00")  # red, index 1
        self.assertEqual(palette[8:12], b"\xff\x00\x00\x00")  # blue, index 2
        pixels = data[offset + 40 + 64:]
        # Each row is padded to 4 bytes; the bottom row comes first.
        self.assertEqual(pixels[0:4], bytes([0x21, 0x20, 0, 0]))  # b r b
        self.assertEqual(pixels[4:8], bytes([0x10, 0x20, 0, 0]))  # r . b
        mask = pixels[8:]
        self.assertEqual(mask, bytes([0x00, 0, 0, 0, 0x40, 0, 0, 0]))

    def test_cursor_keeps_its_hotspot_and_inverted_pixels_use_white(self):
        path = self.picture("c.txt", "hotspot 1 0\npalette\n~ inverted\nk #000000\n"
                                     "pixels\nk~\n")
        code, data = self.make("c.cur", path)
        self.assertEqual(code, 0)
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 2, 1))
        _, _, colours, _, hot_x, hot_y, _, offset = struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((colours, hot_x, hot_y), (2, 1, 0))
        self.assertEqual(struct.unpack_from("<H", data, offset + 14)[0], 1)  # 1 bit per pixel
        palette = data[offset + 40: offset + 48]
        self.assertEqual(palette, b"\xff\xff\xff\x00\x00\x00\x00\x00")  # white, then black
        colour_row, mask_row = data[offset + 48: offset + 52], data[offset + 52: offset + 56]
        self.assertEqual(colour_row[0], 0b10000000)  # k is index 1, the inverted pixel white 0
        self.assertEqual(mask_row[0], 0b01000000)

    def test_bitmap_has_a_file_header_and_no_mask(self):
        path = self.picture("b.txt", "palette\na #102030\nb #405060\nc #708090\n"
                                     "pixels\nabc\ncba\n")
        code, data = self.make("b.bmp", path)
        self.assertEqual(code, 0)
        magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
        self.assertEqual((magic, file_size, offset), (b"BM", len(data), 14 + 40 + 16 * 4))
        self.assertEqual(struct.unpack_from("<iiHH", data, 18), (3, 2, 1, 4))
        self.assertEqual(data[offset:], bytes([0x21, 0x00, 0, 0, 0x01, 0x20, 0, 0]))

    def test_scale_repeats_every_pixel_and_moves_the_hotspot(self):
        path = self.picture("s.txt", "hotspot 1 0\npalette\na #102030\nb #405060\n"
                                     "c #708090\npixels\nabc\ncba\n")
        target = os.path.join(self.folder.name, "s.bmp")
        self.assertEqual(mkicon.main(["mkicon.py", "--scale", "2", target, path]), 0)
        with open(target, "rb") as made:
            data = made.read()
        offset = struct.unpack_from("<I", data, 10)[0]
        self.assertEqual(struct.unpack_from("<ii", data, 18), (6, 4))
        # Bottom-up rows of 6 nibbles, each padded to 4 bytes: "ccbbaa" twice, "aabbcc" twice.
        self.assertEqual(data[offset:], bytes([0x22, 0x11, 0x00, 0]) * 2 +
                         bytes([0x00, 0x11, 0x22, 0]) * 2)
        tripled = mkicon.Picture(path).scaled(3)
        self.assertEqual((tripled.width, tripled.height, tripled.hotspot), (9, 6, (3, 0)))
        with contextlib.redirect_stderr(io.StringIO()):
            self.assertEqual(mkicon.main(["mkicon.py", "--scale", "x", target, path]), 2)

    def test_several_pictures_make_one_icon_with_several_images(self):
        one = self.picture("1.txt", "palette\nx #FF0000\npixels\nxx\nxx\n")
        two = self.picture("2.txt", "palette\nx #00FF00\npixels\nx\n")
        code, data = self.make("two.ico", one, two)
        self.assertEqual(code, 0)
        self.assertEqual(struct.unpack_from("<H", data, 4)[0], 2)
        first = struct.unpack_from("<BBBBHHII", data, 6)
        second = struct.unpack_from("<BBBBHHII", data, 22)
        self.assertEqual((first[0], second[0]), (2, 1))
        self.assertEqual(second[7], first[7] + first[6])
        self.assertEqual(len(data), second[7] + second[6])

    def test_faulty_pictures_write_nothing(self):
        faults = {
            "ragged rows": "palette\nx #000000\npixels\nxx\nx\n",
            "unknown pixel": "palette\nx #000000\npixels\nxy\n",
            "bad colour": "palette\nx #00000G\npixels\nx\n",
            "too many colours for the bits": "bits 1\npalette\na #000001\nb #000002\n"
                                             "c #000003\npixels\nabc\n",
            "no pixels": "palette\nx #000000\n",
        }
        for name, text in faults.items():
            with self.subTest(name):
                code, data = self.make("f.ico", self.picture("f.txt", text))
                self.assertEqual(code, 1)
                self.assertIsNone(data)
        transparent = self.picture("t.txt", "palette\n. transparent\npixels\n.\n")
        self.assertEqual(self.make("t.bmp", transparent), (1, None))

    def test_one_file_holds_several_pictures_in_one_palette(self):
        path = self.picture("m.txt", "palette\n. transparent\nx #FF0000\npixels\nx.\n"
                                     "# the second size\n\npixels\nx..\n.x.\n..x\n")
        code, data = self.make("m.ico", path)
        self.assertEqual(code, 0)
        self.assertEqual(struct.unpack_from("<H", data, 4)[0], 2)
        first = struct.unpack_from("<BBBBHHII", data, 6)
        second = struct.unpack_from("<BBBBHHII", data, 22)
        self.assertEqual((first[0], first[1], second[0], second[1]), (2, 1, 3, 3))
        # The same palette for both: transparent black first, then the red.
        for entry in (first, second):
            palette = data[entry[7] + 40: entry[7] + 48]
            self.assertEqual(palette, b"\x00\x00\x00\x00\x00\x00\xff\x00")
        self.assertEqual(len(data), second[7] + second[6])
        faults = {
            "an empty second picture": "palette\nx #000000\npixels\nx\npixels\n",
            "a ragged second picture": "palette\nx #000000\npixels\nx\npixels\nxx\nx\n",
        }
        for name, text in faults.items():
            with self.subTest(name):
                self.assertEqual(self.make("f.ico", self.picture("f.txt", text)), (1, None))

    def test_launcher_icon_has_its_four_sizes_in_16_colours(self):
        source = os.path.join(HERE, "..", "..", "..", "launcher", "pimbo_icon.txt")
        code, data = self.make("pimbo.ico", source)
        self.assertEqual(code, 0)
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 4))
        sizes = []
        for i in range(4):
            entry = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
            self.assertEqual(entry[2:6], (16, 0, 1, 4))
            self.assertEqual(entry[0], entry[1])
            sizes.append(entry[0])
        self.assertEqual(sizes, [32, 16, 20, 24])


if __name__ == "__main__":
    unittest.main()
